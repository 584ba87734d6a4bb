#!/usr/bin/env bash
# End-to-end test of the real deskflip.exe under Wine, driven like a user drives it: real X input through
# xdotool (clicks, keys, the middle button) into the Wine virtual desktop of tools/wine-harness.sh.
#
#   tests/e2e/window_e2e.sh [BUILD_DIR]        default: build/win32
#
# Needs the program and the helpers of tools/e2e (keyboard_observer.exe, window_probe.exe) built in BUILD_DIR.
# Screenshots and logs go to build/e2e-artifacts/<name of BUILD_DIR>/. Prints one PASS/FAIL line per check and
# ends with "e2e: N passed, M failed"; exits non-zero on any failure.
set -euo pipefail

readonly REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
readonly HARNESS=$REPO/tools/wine-harness.sh
BUILD=$(cd "${1:-$REPO/build/win32}" && pwd)
readonly BUILD
readonly ARTIFACTS=$REPO/build/e2e-artifacts/$(basename "$BUILD")
readonly T0=$EPOCHREALTIME

find_exe() {
    local name=$1 dir
    for dir in "$BUILD" "$BUILD/app" "$BUILD/tools/e2e"; do
        [[ -f $dir/$name ]] && { echo "$dir/$name"; return; }
    done
    echo "window_e2e: $name is not built in $BUILD" >&2
    exit 2
}
readonly DESKFLIP=$(find_exe deskflip.exe)
readonly OBSERVER=$(find_exe keyboard_observer.exe)

rm -rf "$ARTIFACTS"
mkdir -p "$ARTIFACTS"
eval "$("$HARNESS" env)"

passed=0 failed=0
pass() { passed=$((passed + 1)); echo "PASS: $*"; }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
# check DESCRIPTION COMMAND... : one check, passing when COMMAND succeeds.
check() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

elapsed() { awk -v a="$T0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'; }

# A Windows path for a path of this machine (Wine maps / to drive Z:).
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# wait_for SECONDS COMMAND... : polls COMMAND every 20 ms until it succeeds; fails after SECONDS.
wait_for() {
    local deadline
    deadline=$(awk -v t="$EPOCHREALTIME" -v s="$1" 'BEGIN { printf "%.3f", t + s }')
    shift
    until "$@"; do
        awk -v t="$EPOCHREALTIME" -v d="$deadline" 'BEGIN { exit !(t > d) }' && return 1
        sleep 0.02
    done
}

# Every Wine process this script starts, so that none outlives it.
started=()
cleanup() {
    local pid
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
    xdotool mouseup 2 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# launch VAR EXE [ARGS...] : starts a Windows program in the background; its pid goes into VAR.
launch() {
    local -n pid_var=$1
    local log=$ARTIFACTS/$(basename "$2" .exe).$((${#started[@]})).log
    shift
    wine "$@" </dev/null >"$log" 2>&1 &
    pid_var=$!
    started+=("$pid_var")
}

running() { kill -0 "$1" 2>/dev/null; }
# exit_code PID SECONDS : waits for the process to end and prints its exit code, or "running" after SECONDS.
exit_code() {
    if ! wait_for "$2" eval "! running $1"; then echo running; return; fi
    local rc=0
    wait "$1" || rc=$?
    echo "$rc"
}

shot() { import -window root "$ARTIFACTS/$1.png"; }

# ---------------------------------------------------------------------------------------------------------------
# The keyboard observer: every key event of the desktop, one line each, after a first line "ready".
readonly KEYLOG=$ARTIFACTS/keys.log
readonly OBSERVER_STOP=$ARTIFACTS/observer.stop
launch observer_pid "$OBSERVER" "$(winpath "$KEYLOG")" "$(winpath "$OBSERVER_STOP")"
observer_ready() { [[ -s $KEYLOG ]] && head -n1 "$KEYLOG" | grep -qx ready; }
wait_for 10 observer_ready || { echo "window_e2e: the keyboard observer did not start" >&2; exit 2; }

# The injected key events logged after line MARK of the observer's log.
injected_since() { tail -n "+$(($1 + 1))" "$KEYLOG" | grep ' injected ' || true; }
keylog_lines() { wc -l <"$KEYLOG"; }
injected_count_since() { injected_since "$1" | wc -l; }
at_least_injected() { [[ $(injected_count_since "$1") -ge $2 ]]; }

# Checks that the injected events after MARK are whole chords Ctrl+Win+arrow, six events in the order
# Ctrl down, LWin down, arrow down, Ctrl up, LWin up, arrow up, none extended, with arrows alternating from
# FIRST (25 left, 27 right). Prints the arrows it saw.
chords_alternate_from() {
    injected_since "$1" | awk -v first="$2" '
        { ev[n++] = $1 " " $2 " " $4 }
        END {
            if (n == 0 || n % 6 != 0) { print "events: " n; exit 1 }
            arrow = first
            for (i = 0; i < n; i += 6) {
                want[0] = "11 down normal"; want[1] = "5b down normal"; want[2] = arrow " down normal"
                want[3] = "11 up normal";   want[4] = "5b up normal";   want[5] = arrow " up normal"
                for (j = 0; j < 6; j++) if (ev[i + j] != want[j]) { print "event " i + j ": " ev[i + j]; exit 1 }
                printf "%s ", (arrow == "25" ? "Left" : "Right")
                arrow = (arrow == "25" ? "27" : "25")
            }
            print ""
        }'
}

# A notepad: the ordinary window that the middle button is pressed over, and that the main window stays above.
launch notepad_pid notepad.exe
readonly PRESS_X=100 PRESS_Y=200   # inside notepad's client area, away from where the main window stands

# press_middle : holds the middle button over notepad until a chord arrives (or 3 s pass), then releases it and
# waits until the ticks are quiet. Prints the log mark taken before the press.
press_middle() {
    local mark
    mark=$(keylog_lines)
    xdotool mousemove "$PRESS_X" "$PRESS_Y" mousedown 2
    wait_for 3 at_least_injected "$mark" 6 || true
    xdotool mouseup 2
    # A tick may have been under way at the release: wait until the count stands still for three periods.
    local before=-1 now
    now=$(injected_count_since "$mark")
    while [[ $now != "$before" ]]; do
        before=$now
        sleep 0.15
        now=$(injected_count_since "$mark")
    done
    echo "$mark"
}

# ---------------------------------------------------------------------------------------------------------------
echo "window_e2e: build $BUILD, artefacts $ARTIFACTS, display $DISPLAY"

launch app_pid "$DESKFLIP"
sleep 1   # replaced by a wait for the main window once it exists

# The middle button: the first press after the start sends Ctrl+Win+Left, the next press continues with Right.
# A press held across several ticks sends one chord per tick, still alternating.
first_mark=$(press_middle)
seen=$(chords_alternate_from "$first_mark" 25) && ok=1 || ok=0
check "middle press over another window sends Ctrl+Win+Left as six injected events ($seen)" test $ok = 1
arrows_first=$(echo "$seen" | wc -w)
next_arrow=$([[ $((arrows_first % 2)) == 1 ]] && echo 27 || echo 25)
second_mark=$(press_middle)
seen=$(chords_alternate_from "$second_mark" "$next_arrow") && ok=1 || ok=0
check "next middle press continues the alternation ($seen)" test $ok = 1
shot chords

echo "e2e: $passed passed, $failed failed ($(elapsed) s)"
[[ $failed -eq 0 ]]
