#!/usr/bin/env bash
# Runs Windows programs and their tests under Wine in a reusable, prepared prefix.
#
#   wine-harness.sh up              prepare locale, display, prefix, registry and a persistent wineserver
#   wine-harness.sh run EXE [ARGS]  run EXE there; its stdout/stderr pass through, its exit code is ours
#   wine-harness.sh down            stop the wineserver and the Xvfb this harness started (prefix stays)
#   wine-harness.sh env             print export lines for scripts that drive the same display (xdotool)
#
# Environment: DESKFLIP_WINEPREFIX (default <repo>/build/wine/prefix). A DISPLAY that is set is used as is;
# without one the harness starts its own Xvfb and remembers it next to the prefix.
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
readonly REPO
PREFIX=${DESKFLIP_WINEPREFIX:-$REPO/build/wine/prefix}
[[ $PREFIX == /* ]] || PREFIX=$PWD/$PREFIX   # Wine wants an absolute prefix
readonly PREFIX
STATE_DIR=$(dirname "$PREFIX")
readonly STATE_DIR
NAME=$(basename "$PREFIX")
readonly NAME
readonly DISPLAY_FILE=$STATE_DIR/$NAME.xvfb-display
readonly XVFB_PID_FILE=$STATE_DIR/$NAME.xvfb-pid
readonly SERVER_DISPLAY_FILE=$STATE_DIR/$NAME.server-display
readonly LOCK_FILE=$STATE_DIR/$NAME.lock
readonly LOG_FILE=$STATE_DIR/$NAME.log
# Bump when the prepared state of the prefix changes, so existing prefixes get redone once.
readonly STAMP=$PREFIX/.deskflip-harness-v2
readonly LOCALE=zh_CN.UTF-8
readonly SCREEN=1024x768
readonly SERVER_LINGER_SECONDS=120
readonly I386_LOADER=/usr/lib/wine/wine
readonly FONT_FAMILY="WenQuanYi Micro Hei"

die() { echo "wine-harness: WINE_HARNESS_FAILED: $*" >&2; exit 1; }
log() { echo "wine-harness: $*" >&2; }

export WINEPREFIX=$PREFIX
export WINEDEBUG=-all
# No Mono/Gecko install prompts, no menu entries written into the user's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

as_root() {
    if [[ $EUID -eq 0 ]]; then "$@"
    elif command -v sudo >/dev/null; then sudo "$@"
    else die "need root for: $*"
    fi
}

ensure_locale() {
    locale -a 2>/dev/null | grep -qix 'zh_CN\.utf8' && return
    log "generating locale $LOCALE"
    if grep -qE '^#\s*zh_CN\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        as_root sed -i -E 's/^#\s*(zh_CN\.UTF-8 UTF-8)/\1/' /etc/locale.gen
    else
        echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    fi
    as_root locale-gen >&2
    locale -a | grep -qix 'zh_CN\.utf8' || die "locale $LOCALE is still missing after locale-gen"
}

use_locale() {
    # zh_CN.UTF-8 makes GetACP() 936, so the program's GBK texts are what Wine expects.
    export LANG=$LOCALE LC_ALL=$LOCALE
}

ensure_wine() {
    command -v wine >/dev/null || die "wine is not installed; run tools/setup-debian.sh"
    # Without the i386 loader Debian's wine runs 32-bit programs as nothing and reports success.
    [[ -x $I386_LOADER ]] || die "$I386_LOADER is missing (package wine32:i386); 32-bit programs would not run"
}

xvfb_alive() {
    [[ -f $XVFB_PID_FILE && -f $DISPLAY_FILE ]] || return 1
    local pid n
    pid=$(<"$XVFB_PID_FILE") n=$(<"$DISPLAY_FILE")
    [[ $(cat "/proc/$pid/comm" 2>/dev/null) == Xvfb && -S /tmp/.X11-unix/X${n#:} ]]
}

start_xvfb() {
    command -v Xvfb >/dev/null || die "Xvfb is not installed; run tools/setup-debian.sh"
    local n pid
    for ((n = 90; n < 190; n++)); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        # Detached from our stdio and from the lock, so ctest's pipes close when the test ends.
        setsid Xvfb ":$n" -screen 0 "${SCREEN}x24" -nolisten tcp </dev/null >>"$LOG_FILE" 2>&1 9>&- &
        pid=$!
        for _ in $(seq 50); do
            [[ -S /tmp/.X11-unix/X$n ]] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if [[ -S /tmp/.X11-unix/X$n ]] && kill -0 "$pid" 2>/dev/null; then
            echo "$pid" >"$XVFB_PID_FILE"
            echo ":$n" >"$DISPLAY_FILE"
            log "started Xvfb :$n (pid $pid)"
            return
        fi
        kill "$pid" 2>/dev/null || true   # lost a race for this number; try the next one
    done
    die "no free X display between :90 and :189 (see $LOG_FILE)"
}

choose_display() {
    if [[ -n ${DISPLAY:-} ]]; then return; fi
    xvfb_alive || start_xvfb
    DISPLAY=$(<"$DISPLAY_FILE")
    export DISPLAY
}

write_registry() {
    local reg=$STATE_DIR/$NAME.harness.reg
    cat >"$reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"Tahoma"="$FONT_FAMILY"
"SimSun"="$FONT_FAMILY"
"MS Shell Dlg"="$FONT_FAMILY"
"MS Shell Dlg 2"="$FONT_FAMILY"
"Microsoft YaHei"="$FONT_FAMILY"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="shell"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"shell"="$SCREEN"
EOF
    wine regedit /S "$reg" </dev/null >>"$LOG_FILE" 2>&1 9>&-
    wine reg query 'HKCU\Software\Wine\Explorer\Desktops' /v shell </dev/null 2>/dev/null 9>&- | grep -q "$SCREEN" \
        || die "virtual desktop registry key did not stick (see $LOG_FILE)"
    wine reg query 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Shell Dlg' </dev/null 2>/dev/null 9>&- \
        | grep -q "$FONT_FAMILY" || die "font replacement registry key did not stick (see $LOG_FILE)"
}

ensure_prefix() {
    [[ -f $STAMP ]] && return
    fc-list 2>/dev/null | grep -q "$FONT_FAMILY" || die "font '$FONT_FAMILY' missing (fonts-wqy-microhei)"
    log "initialising Wine prefix $PREFIX (once, about half a minute)"
    local start=$SECONDS
    mkdir -p "$PREFIX"
    wineserver -k 2>/dev/null || true
    wineboot -i </dev/null >>"$LOG_FILE" 2>&1 9>&-
    write_registry
    # Window frames draw their buttons with Marlett. Wine does not load it from the fonts-wine package by itself,
    # so without a copy in the prefix the caption shows the letters "0 1 r" instead of its buttons.
    cp /usr/share/wine/fonts/marlett.ttf "$PREFIX/drive_c/windows/Fonts/" \
        || die "Marlett font missing (fonts-wine)"
    wineserver -w   # let the registry reach the disk before the prefix is called ready
    touch "$STAMP"
    log "prefix ready in $((SECONDS - start)) s"
}

# The wineserver outlives single runs, so each program starts in a fraction of a second. Its session is
# bound to one display (the virtual desktop window lives there), so a different display means a new server.
ensure_server() {
    local recorded=
    [[ -f $SERVER_DISPLAY_FILE ]] && recorded=$(<"$SERVER_DISPLAY_FILE")
    if [[ $recorded != "$DISPLAY" ]]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    # Exits at once with an error when a server for this prefix is already running.
    if wineserver "-p$SERVER_LINGER_SECONDS" </dev/null >>"$LOG_FILE" 2>&1 9>&-; then
        echo "$DISPLAY" >"$SERVER_DISPLAY_FILE"
        # Start Wine's own background processes (services, the desktop) now, with harmless stdio,
        # rather than from a test whose output pipe they would then hold open.
        wine cmd /c exit </dev/null >>"$LOG_FILE" 2>&1 9>&-
    fi
}

cmd_up() {
    mkdir -p "$STATE_DIR"
    exec 9>"$LOCK_FILE"
    flock 9   # parallel ctest jobs share one prefix, display and server
    ensure_locale
    use_locale
    ensure_wine
    choose_display
    ensure_prefix
    ensure_server
    exec 9>&-
}

cmd_run() {
    [[ $# -ge 1 ]] || die "usage: wine-harness.sh run EXE [ARGS...]"
    [[ -f $1 ]] || die "no such program: $1"
    cmd_up
    exec wine "$@"
}

cmd_down() {
    if [[ -d $PREFIX ]]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    rm -f "$SERVER_DISPLAY_FILE"
    if xvfb_alive; then
        local pid
        pid=$(<"$XVFB_PID_FILE")
        kill "$pid"
        for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        log "stopped Xvfb $(<"$DISPLAY_FILE") (pid $pid)"
    fi
    rm -f "$XVFB_PID_FILE" "$DISPLAY_FILE"
}

cmd_env() {
    cmd_up >&2
    local var
    for var in WINEPREFIX DISPLAY WINEDEBUG WINEDLLOVERRIDES LANG LC_ALL; do
        printf 'export %s=%q\n' "$var" "${!var}"
    done
}

case ${1:-} in
    up) cmd_up ;;
    run) shift; cmd_run "$@" ;;
    down) cmd_down ;;
    env) cmd_env ;;
    *) die "usage: wine-harness.sh up | run EXE [ARGS...] | down | env" ;;
esac
