#!/usr/bin/env bash
# Runs a test program on a display of its own under a real window manager:
# starts Xvfb on a free display number, starts the window manager (openbox or
# metacity), waits until it manages windows, runs the program and stops both
# again. Exits with 77 (skipped) when a tool is missing.
# Usage: run-under-wm.sh WINDOW-MANAGER PROGRAM [ARGUMENTS...]
set -u
wm=$1
shift
for tool in Xvfb xprop xdotool xwininfo "$wm"; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed: window-manager tests skipped"
        exit 77
    fi
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it is ready.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids=("$!")
if ! read -r -t 20 number <"$work/display"; then
    echo "Xvfb did not start"
    exit 1
fi
export DISPLAY=":$number" QT_QPA_PLATFORM=xcb QUINDLE_WINDOW_MANAGER="$wm"
unset WAYLAND_DISPLAY

"$wm" >/dev/null 2>&1 &
pids=("$!" "${pids[@]}")
managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
for _ in $(seq 200); do
    managed && break
    sleep 0.1
done
if ! managed; then
    echo "$wm did not start on $DISPLAY"
    exit 1
fi
echo "$wm on display $DISPLAY"
"$@"
