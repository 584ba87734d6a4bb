#!/usr/bin/env bash
# Builds the 32-bit Windows program and runs it under Wine in a virtual desktop with a taskbar and tray.
# With a DISPLAY set, the desktop opens there; otherwise it runs in the harness's own Xvfb.
# The program runs until it is ended from its tray icon (double-click) or by `tools/wine-harness.sh down`.
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
readonly REPO
readonly HARNESS=$REPO/tools/wine-harness.sh
cd "$REPO" || exit

cmake --preset win32
cmake --build --preset win32 -j2 --target deskflip

EXE=$REPO/build/win32/deskflip.exe

had_display=${DISPLAY:-}
eval "$("$HARNESS" env)"
if [[ -z $had_display ]]; then
    cat <<EOF
deskflip runs in Xvfb on display $DISPLAY (no DISPLAY was set). From another shell in $REPO:
    eval "\$(tools/wine-harness.sh env)"
    import -window root /tmp/deskflip.png      # screenshot of the virtual desktop
    xdotool search --name . getwindowname %@   # the windows on that display
    tools/wine-harness.sh down                 # stop Wine and that Xvfb
EOF
fi
echo "running $EXE"
exec "$HARNESS" run "$EXE"
