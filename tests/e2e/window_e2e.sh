#!/usr/bin/env bash
# End-to-end test of the real deskflip.exe under Wine, driven the way a user drives it: real X input through
# xdotool (clicks, keys, the middle button) into the Wine virtual desktop of tools/wine-harness.sh, with a keyboard
# observer watching the synthesised chords and a probe reading what the desktop shows.
#
#   tests/e2e/window_e2e.sh [BUILD_DIR]        default: build/win32
#
# Needs deskflip.exe, deskflip_fault.exe and the helpers of tools/e2e (keyboard_observer.exe, window_probe.exe)
# built in BUILD_DIR. Screenshots and logs go to build/e2e-artifacts/<name of BUILD_DIR>/. Prints one PASS/FAIL line
# per check, its wall time, and last "e2e: N passed, M failed"; exits non-zero on any failure.
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
readonly REPO
readonly HARNESS=$REPO/tools/wine-harness.sh
BUILD=$(cd "${1:-$REPO/build/win32}" && pwd)
readonly BUILD
ARTIFACTS=$REPO/build/e2e-artifacts/$(basename "$BUILD")
readonly ARTIFACTS
readonly T0=$EPOCHREALTIME

# The program's texts as the probe prints them (UTF-8).
readonly START_TEXT="摸鱼：启动" STOP_TEXT="摸鱼：停止" LABEL_TEXT="调整为最后一个桌面"
readonly TIP_TEXT="摸鱼中。。。什么？被发现了(?｀?Д?′)!!"
readonly WINDOW_WIDTH=365 WINDOW_HEIGHT=233

find_exe() {
    local name=$1 dir
    for dir in "$BUILD" "$BUILD/app" "$BUILD/tools/e2e"; do
        [[ -f $dir/$name ]] && { echo "$dir/$name"; return; }
    done
    echo "window_e2e: $name is not built in $BUILD" >&2
    return 1
}
DESKFLIP=$(find_exe deskflip.exe) || exit 2
FAULT_BUILD=$(find_exe deskflip_fault.exe) || FAULT_BUILD=
OBSERVER=$(find_exe keyboard_observer.exe) || exit 2
PROBE=$(find_exe window_probe.exe) || exit 2
readonly DESKFLIP FAULT_BUILD OBSERVER PROBE

rm -rf "$ARTIFACTS"
mkdir -p "$ARTIFACTS"

# ----------------------------------------------------------------------------------------------------------------
# Reporting

passed=0 failed=0
pass() { passed=$((passed + 1)); echo "PASS: $*"; }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
# check DESCRIPTION COMMAND... : one check, passing when COMMAND succeeds.
check() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
# check_eq DESCRIPTION EXPECTED ACTUAL
check_eq() {
    if [[ $2 == "$3" ]]; then pass "$1"; else fail "$1 (expected '$2', got '$3')"; fi
}

elapsed() { awk -v a="$T0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'; }
section() { echo "-- $* (at $(elapsed) s)"; }
summary() {
    summarised=1
    echo "e2e: wall time $(elapsed) s"
    echo "e2e: $passed passed, $failed failed"
}
shot() { import -window "$DESKTOP_WINDOW" "$ARTIFACTS/$1.png"; }

# ----------------------------------------------------------------------------------------------------------------
# Processes and waiting

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
summarised=0
cleanup() {
    local status=$? pid
    if [[ $summarised == 0 ]]; then
        fail "the run ended early (exit status $status; see the messages above)"
        summary
    fi
    xdotool mouseup 2 2>/dev/null || true
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# launch VAR [NAME=VALUE...] EXE [ARGS...] : starts a Windows program in the background with the given environment;
# its pid goes into VAR, its output into a log of the artefacts.
launch() {
    local -n pid_var=$1
    shift
    local -a environment=()
    while [[ $1 == *=* ]]; do environment+=("$1"); shift; done
    local log
    log=$ARTIFACTS/$(basename "$1" .exe).${#started[@]}.log
    env "${environment[@]}" wine "$@" </dev/null >"$log" 2>&1 8>&- &
    pid_var=$!
    started+=("$pid_var")
}

app_pid='' second_pid=''   # set by launch

running() { kill -0 "$1" 2>/dev/null; }
ended() { ! running "$1"; }
# await_exit PID SECONDS : waits for the process to end and sets EXIT_CODE to its exit code. After SECONDS it ends
# the process itself, so that it cannot disturb the checks that follow, and sets EXIT_CODE to "still running".
# (Not for a command substitution: only this shell can collect its children's exit codes.)
await_exit() {
    EXIT_CODE=0
    if ! wait_for "$2" ended "$1"; then
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
        EXIT_CODE="still running"
        return
    fi
    wait "$1" || EXIT_CODE=$?
}

# ----------------------------------------------------------------------------------------------------------------
# What the desktop shows (tools/e2e/window_probe.exe)

probe() { wine "$PROBE" "$@" </dev/null 2>/dev/null 8>&- | tr -d '\r'; }
# fact KEY FACTS : the value of KEY in the probe's output FACTS.
fact() { sed -n "s/^$1=//p" <<<"$2" | head -n1; }

main_facts() { probe main "${1:-deskflip.exe}"; }
main_visible() { [[ $(fact visible "$(main_facts "$@")") == 1 ]]; }
main_hidden() { local f; f=$(main_facts "$@") && [[ $(fact visible "$f") == 0 ]]; }
main_iconic() { [[ $(fact iconic "$(main_facts "$@")") == 1 ]]; }
edit_text_is() { [[ $(control_fact "$(main_facts)" edit text) == "$1" ]]; }

tray_facts() { probe tray; }
tip_shown() { [[ $(fact tip_shown "$(tray_facts)") == 1 ]]; }

# Whether the taskbar shows a tray icon in its first slot: the slot's pixels against those of the empty slot,
# taken before the program started. (Only the program under test puts an icon into this desktop's tray.)
tray_slot_pixels() { import -window "$DESKTOP_WINDOW" -crop "$TRAY_SLOT" +repage "$1"; }
tray_icon_changed_pixels() {
    tray_slot_pixels "$ARTIFACTS/tray-slot.png"
    compare -metric AE "$ARTIFACTS/tray-slot-empty.png" "$ARTIFACTS/tray-slot.png" null: 2>&1 || true
}
tray_icon_shown() { [[ $(tray_icon_changed_pixels) -ge 10 ]]; }
tray_icon_gone() { [[ $(tray_icon_changed_pixels) -eq 0 ]]; }
dialog_shown() { probe dialog "$1" >/dev/null; }

# control_fact FACTS KIND FIELD : FIELD (class, text, client_rect, screen_rect, style, visible) of the main window's
# control of KIND: start, stop, edit, label, spin.
control_fact() {
    local facts=$1 kind=$2 field=$3 class text i count
    count=$(fact children "$facts")
    for ((i = 0; i < ${count:-0}; i++)); do
        class=$(fact "child$i.class" "$facts")
        text=$(fact "child$i.text" "$facts")
        case $kind:${class,,} in
            start:button) [[ $text == "$START_TEXT" ]] || continue ;;
            stop:button) [[ $text == "$STOP_TEXT" ]] || continue ;;
            edit:edit | spin:msctls_updown32) ;;
            label:static) [[ $text == "$LABEL_TEXT" ]] || continue ;;
            *) continue ;;
        esac
        fact "child$i.$field" "$facts"
        return
    done
}

# centre_of "LEFT TOP WIDTH HEIGHT" [FRACTION_Y] : the point at the middle (or at FRACTION_Y of the height).
centre_of() {
    local left top width height
    read -r left top width height <<<"$1"
    awk -v l="$left" -v t="$top" -v w="$width" -v h="$height" -v f="${2:-0.5}" \
        'BEGIN { printf "%d %d\n", l + w / 2, t + h * f }'
}

# click_at X Y [BUTTON] : moves the pointer there and clicks, as real X input.
# move_to X Y : moves the pointer to a point of the Windows screen, i.e. of the X window of the virtual desktop.
move_to() { xdotool mousemove "$((DESKTOP_X + $1))" "$((DESKTOP_Y + $2))"; }
click_at() { move_to "$1" "$2" && xdotool click "${3:-1}"; }
click_control() {
    local point
    point=$(centre_of "$(control_fact "$(main_facts)" "$1" screen_rect)" "${2:-0.5}")
    # shellcheck disable=SC2086
    click_at $point
}
# click_tray [BUTTON [COUNT]] : clicks the program's tray icon.
click_tray() {
    # shellcheck disable=SC2086
    move_to $TRAY_ICON && xdotool click --repeat "${2:-1}" --delay 80 "${1:-1}"
}

# ----------------------------------------------------------------------------------------------------------------
# The desktop

eval "$("$HARNESS" env)"

# One run at a time per desktop: two runs would move the same pointer. The lock is held on descriptor 8, which the
# Windows programs started below must not inherit (Wine's background processes would keep it after we end).
exec 8>"$WINEPREFIX.e2e.lock"
flock -w 300 8 || { echo "window_e2e: another end-to-end run holds $WINEPREFIX.e2e.lock" >&2; exit 2; }

# ----------------------------------------------------------------------------------------------------------------
# The keyboard observer: every key event of the desktop, one line each, after a first line "ready".

readonly KEYLOG=$ARTIFACTS/keys.log
launch observer_pid "$OBSERVER" "$(winpath "$KEYLOG")" "$(winpath "$ARTIFACTS/observer.stop")"
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

# A notepad: the ordinary window that the middle button is pressed over and that the main window stays above.
launch notepad_pid notepad.exe
readonly PRESS_X=100 PRESS_Y=200   # inside notepad's client area, away from where the main window stands
wait_for 10 main_visible notepad.exe || { echo "window_e2e: notepad did not show" >&2; exit 2; }

# The Windows screen is the X window of Wine's virtual desktop (the whole Xvfb screen, or a window somewhere on a
# real display): every point the probe reports is relative to it.
# Explorer has a few small windows of its own at that level; the desktop is its largest.
desktop_window() {
    local window best='' best_area=0 WIDTH HEIGHT
    for window in $(xdotool search --maxdepth 1 --classname '^explorer\.exe$'); do
        eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=')"
        if ((WIDTH * HEIGHT > best_area)); then best=$window best_area=$((WIDTH * HEIGHT)); fi
    done
    echo "$best"
}
DESKTOP_WINDOW=$(desktop_window)
[[ -n $DESKTOP_WINDOW ]] || { echo "window_e2e: no Wine virtual desktop on $DISPLAY" >&2; exit 2; }
eval "$(xdotool getwindowgeometry --shell "$DESKTOP_WINDOW" | sed -n 's/^\([XY]\)=/DESKTOP_\1=/p')"
readonly DESKTOP_WINDOW DESKTOP_X DESKTOP_Y
# A running deskflip would take the launches below as second launches.
if main_facts >/dev/null; then
    echo "window_e2e: a deskflip window is already open on this desktop; end that program first" >&2
    exit 2
fi

# wait_quiet MARK : waits until no injected event has arrived for three timer periods.
wait_quiet() {
    local before=-1 now
    now=$(injected_count_since "$1")
    while [[ $now != "$before" ]]; do
        before=$now
        sleep 0.15
        now=$(injected_count_since "$1")
    done
}

# press_middle : holds the middle button over notepad until a chord arrives (or 2 s pass), then releases it and
# waits until the ticks are quiet. Prints the log mark taken before the press.
press_middle() {
    local mark
    mark=$(keylog_lines)
    move_to "$PRESS_X" "$PRESS_Y" && xdotool mousedown 2
    wait_for 2 at_least_injected "$mark" 6 || true
    xdotool mouseup 2
    wait_quiet "$mark"
    echo "$mark"
}

echo "window_e2e: build $BUILD, artefacts $ARTIFACTS, display $DISPLAY"
tray=$(tray_facts)
TRAY_ICON=$(fact slot0_centre "$tray")
readonly TRAY_ICON
TRAY_SLOT=$(fact slot0 "$tray" | awk '{ printf "%dx%d+%d+%d", $3, $4, $1, $2 }')
readonly TRAY_SLOT
tray_slot_pixels "$ARTIFACTS/tray-slot-empty.png"
TASK_BUTTONS_BEFORE=$(fact buttons "$(probe taskbar)")
readonly TASK_BUTTONS_BEFORE
screen=$(fact screen "$(main_facts notepad.exe)")
readonly CENTRED="$(((${screen% *} - WINDOW_WIDTH) / 2)) $(((${screen#* } - WINDOW_HEIGHT) / 2)) $WINDOW_WIDTH $WINDOW_HEIGHT"

# ----------------------------------------------------------------------------------------------------------------
# First run: the window, the spin control, start, the middle button, the tray, the end by double-click.

section "first run: window, spin control, start, middle button, tray"
launch app_pid "$DESKFLIP"
if ! wait_for 10 main_visible; then
    fail "deskflip.exe shows its main window"
    shot no-window
    summary
    exit 1
fi
check "the tray icon is shown by the time the window is" tray_icon_shown
facts=$(main_facts)
echo "$facts" >"$ARTIFACTS/main-window.facts"
shot started
check_eq "the window stands centred on the screen, 365 x 233" "$CENTRED" "$(fact rect "$facts")"
check_eq "the title is empty" 0 "$(fact title_length "$facts")"
check_eq "frame: caption, system menu, minimise box; no maximise box, not resizable" "1 1 1 0 0" \
    "$(for f in caption sysmenu minimizebox maximizebox thickframe; do printf '%s ' "$(fact $f "$facts")"; done | xargs)"
check_eq "always on top" 1 "$(fact topmost "$facts")"
check_eq "owned by a hidden window, no app-window style" "1 0 0" \
    "$(fact owned "$facts") $(fact owner_visible "$facts") $(fact appwindow "$facts")"
check_eq "no taskbar button" "$TASK_BUTTONS_BEFORE" "$(fact buttons "$(probe taskbar)")"
check_eq "start button: text and place" "32 120 120 40" "$(control_fact "$facts" start client_rect)"
check_eq "stop button: text and place" "208 120 120 40" "$(control_fact "$facts" stop client_rect)"
check_eq "label: text and place" "40 40 120 32" "$(control_fact "$facts" label client_rect)"
check_eq "number box shows 2" 2 "$(control_fact "$facts" edit text)"
check_eq "number box place" "160 40 32 32" "$(control_fact "$facts" edit client_rect)"
edit_style=$(control_fact "$facts" edit style)
check "number box is read-only" test $((0x${edit_style:-0} & 0x800)) -ne 0
check_eq "spin control against the box's right edge, 18 wide" "192 40 18 32" "$(control_fact "$facts" spin client_rect)"

# The spin control wraps at both ends; the box follows each click.
spin_step() {  # spin_step up|down EXPECTED
    local fraction=0.25
    [[ $1 == down ]] && fraction=0.75
    click_control spin "$fraction"
    wait_for 2 edit_text_is "$2"
}
check "spin: 2, up gives 3" spin_step up 3
spin_step down 2 || true
spin_step down 1 || true
check "spin: 1, down gives 100" spin_step down 100
check "spin: 100, up gives 1" spin_step up 1
spin_step up 2 || true
shot spin

# The box is read-only: typing into it changes nothing.
click_control edit
facts=$(main_facts)
check_eq "a click on the number box gives it the keyboard focus" "1 edit" \
    "$(fact foreground "$facts") $(fact focus_class "$facts" | tr '[:upper:]' '[:lower:]')"
xdotool type --delay 30 "57"
xdotool key BackSpace Delete
sleep 0.3
check_eq "typing into the number box changes nothing" 2 "$(control_fact "$(main_facts)" edit text)"

# Hovering over the tray icon shows the whole tip.
# shellcheck disable=SC2086
move_to $TRAY_ICON
if wait_for 4 tip_shown; then
    check_eq "the tray tip is shown whole" "$TIP_TEXT" "$(fact tip "$(tray_facts)")"
    shot tray-tip
else
    fail "the tray tip appears when hovering over the icon"
fi

# Start hides the window; the middle button then flips: Left first, then Right.
click_control start
check "start hides the window" wait_for 3 main_hidden
shot started-hidden
mark=$(press_middle)
seen=$(chords_alternate_from "$mark" 25) && ok=1 || ok=0
check "middle press over another window sends Ctrl+Win+Left as six injected events (${seen% })" test "$ok" = 1
arrows=$(wc -w <<<"$seen")
next_arrow=$([[ $((arrows % 2)) == 1 ]] && echo 27 || echo 25)
mark=$(press_middle)
seen=$(chords_alternate_from "$mark" "$next_arrow") && ok=1 || ok=0
check "the next middle press continues the alternation (${seen% })" test "$ok" = 1

# A right click on the tray icon does nothing.
click_tray 3
sleep 0.4
check "right click on the tray icon does nothing" main_hidden

# A left click on the tray icon shows the window centred; stop, and the middle button sends nothing.
click_tray 1
check "left click on the tray icon shows the window" wait_for 3 main_visible
facts=$(main_facts)
check_eq "... centred and active" "$CENTRED 1" "$(fact rect "$facts") $(fact foreground "$facts")"
click_control stop
sleep 0.2
check "the window stays visible after stop" main_visible
mark=$(keylog_lines)
move_to "$PRESS_X" "$PRESS_Y" && xdotool mousedown 2
sleep 0.4
xdotool mouseup 2
sleep 0.15
check_eq "after stop, a middle press of 8 timer periods sends nothing" 0 "$(injected_count_since "$mark")"
# The press activated notepad, which Wine's virtual desktop then draws over the window (see below): the tray
# brings it back on screen.
click_tray 1
sleep 0.3

# From minimised, a left click on the tray icon restores and centres the window.
minimize=$(fact minimize_button "$(main_facts)")
if [[ -n $minimize ]]; then
    # shellcheck disable=SC2086
    click_at $minimize
    if wait_for 3 main_iconic; then
        shot minimised
        click_tray 1
        wait_for 3 eval '! main_iconic' || true
        facts=$(main_facts)
        check_eq "left click on the tray icon restores a minimised window, centred" "1 0 $CENTRED" \
            "$(fact visible "$facts") $(fact iconic "$facts") $(fact rect "$facts")"
    else
        fail "the minimise button minimises the window"
    fi
else
    fail "the window has a minimise button"
fi

# Above an ordinary window: activate notepad by clicking it; the main window stays above it in the system's
# z-order. (Wine's virtual desktop then draws notepad over it all the same, and sends X input at that place to
# notepad: see docs/e2e.md. A left click on the tray icon puts it back on screen.)
click_at "$PRESS_X" "$PRESS_Y"
sleep 0.2
check "stays above an ordinary window that is activated" test "$(fact shown_at_centre "$(main_facts)")" = 1
shot above-notepad
click_tray 1
sleep 0.3
check_eq "left click on the tray icon while shown and centred moves nothing" "$CENTRED" "$(fact rect "$(main_facts)")"

# A double-click on the tray icon ends the program with code 0 and takes the icon away.
click_tray 1 2
await_exit "$app_pid" 5
check_eq "double-click on the tray icon ends the program with exit code 0" 0 "$EXIT_CODE"
check "the tray icon is gone" wait_for 2 tray_icon_gone
shot ended-by-tray

# ----------------------------------------------------------------------------------------------------------------
# A second launch brings the running program's window back, centred, and ends at once.

section "second launch, Esc, close button"
launch app_pid "$DESKFLIP"
wait_for 10 main_visible || true
click_control start
wait_for 3 main_hidden || true
launch second_pid "$DESKFLIP"
await_exit "$second_pid" 5
check_eq "a second launch ends with exit code 0" 0 "$EXIT_CODE"
check "a second launch shows the running program's window" wait_for 3 main_visible
check_eq "... centred" "$CENTRED" "$(fact rect "$(main_facts)")"

# Showing the window does not stop the toggle. Leave it after an odd number of chords (phase after a Left), then
# click start again: the next chord goes Left again.
mark=$(keylog_lines)
for _ in 1 2 3; do
    press_middle >/dev/null
    (($(injected_count_since "$mark") / 6 % 2 == 1)) && break
done
seen=$(chords_alternate_from "$mark" 25) && ok=1 || ok=0
check "the toggle goes on while the window is shown again (${seen% })" test "$ok" = 1
click_tray 1   # the presses activated notepad: put the window back on screen
sleep 0.3
click_control start
check "a second click on start hides the window again" wait_for 3 main_hidden
mark=$(press_middle)
seen=$(chords_alternate_from "$mark" 25) && ok=1 || ok=0
check "after the second start the next chord goes Left again (${seen% })" test "$ok" = 1

# Esc in the window ends the program with code 0.
click_tray 1
wait_for 3 main_visible || true
click_control label
xdotool key Escape
await_exit "$app_pid" 5
check_eq "Esc in the window ends the program with exit code 0" 0 "$EXIT_CODE"
check "the tray icon is gone after Esc" wait_for 2 tray_icon_gone

# The close button does the same.
launch app_pid "$DESKFLIP"
wait_for 10 main_visible || true
close=$(fact close_button "$(main_facts)")
# shellcheck disable=SC2086
[[ -n $close ]] && click_at $close
await_exit "$app_pid" 5
check_eq "the close button ends the program with exit code 0" 0 "$EXIT_CODE"
check "the tray icon is gone after closing" wait_for 2 tray_icon_gone

# ----------------------------------------------------------------------------------------------------------------
# A fatal run-time error: the error report, exit code 255 (-1), and no exit hook. The fault build writes a trace
# when its exit hook runs; a normal end of the same build must write it, or its absence would prove nothing.

section "fatal run-time errors"
if [[ -z $FAULT_BUILD ]]; then
    fail "deskflip_fault.exe is built"
else
    trace=$ARTIFACTS/hook-normal.trace
    startup=$ARTIFACTS/startup.trace
    launch app_pid DESKFLIP_HOOK_TRACE="$(winpath "$trace")" DESKFLIP_STARTUP_TRACE="$(winpath "$startup")" \
        "$FAULT_BUILD"
    wait_for 10 main_visible deskflip_fault.exe || true
    # What the support module's start-up left behind by the time the window was created.
    check_eq "start-up: the environment marker is set before the window exists" "marker=Quorvel编程模块" \
        "$(grep '^marker=' "$startup" 2>/dev/null | tr -d '\r')"
    check_eq "start-up: the pool holds one 20 MiB region with one free entry" \
        "initialized=1 regionSize=20971520 regions=1 freeCount=1" \
        "$(grep -v '^marker=' "$startup" 2>/dev/null | tr -d '\r' | paste -sd' ')"
    close=$(fact close_button "$(main_facts deskflip_fault.exe)")
    # shellcheck disable=SC2086
    [[ -n $close ]] && click_at $close
    await_exit "$app_pid" 5
    check_eq "fault build without a fault: ends with 0" 0 "$EXIT_CODE"
    check_eq "fault build without a fault: the exit hook ran once" "exit hook" "$(tr -d '\r' <"$trace" 2>/dev/null)"

    for fault in binding alloc stack; do
        trace=$ARTIFACTS/hook-$fault.trace
        launch app_pid DESKFLIP_FAULT=$fault DESKFLIP_HOOK_TRACE="$(winpath "$trace")" "$FAULT_BUILD"
        if wait_for 10 dialog_shown deskflip_fault.exe; then
            facts=$(probe dialog deskflip_fault.exe)
            echo "$facts" >"$ARTIFACTS/error-$fault.facts"
            pass "fatal error ($fault): the error report is shown"
            shot "error-$fault"
            # shellcheck disable=SC2046
            [[ $(fact foreground "$facts") == 1 ]] || click_at $(centre_of "$(fact rect "$facts")")
            xdotool key Return
        else
            fail "fatal error ($fault): the error report is shown"
            shot "error-$fault"
        fi
        await_exit "$app_pid" 5
        check_eq "fatal error ($fault): exit code 255" 255 "$EXIT_CODE"
        check "fatal error ($fault): the exit hook did not run" test ! -e "$trace"
    done
fi

summary
[[ $failed -eq 0 ]]
