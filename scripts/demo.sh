#!/usr/bin/env bash
# Runs Quindle's main dialog on a virtual X display (Xvfb) through a short
# session: two random 3 x 3 objects, their product, the inverse of the
# product. Saves a picture of the screen and prints its path. Needs no display
# of its own, so it works where `make run` cannot.
#
#   scripts/demo.sh [output.png]
#
# When a window manager is installed (openbox, jwm, icewm or twm), it draws
# the windows' title bars; without one the windows have none.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR="${QUINDLE_BUILD_DIR:-build}"
OUT="${1:-/tmp/quindle-demo.png}"
DRIVER="$BUILD_DIR/tools/demo_driver"

if ! command -v Xvfb >/dev/null; then
    echo "demo: Xvfb is not installed (scripts/setup.sh installs it)" >&2
    exit 1
fi
cmake --build "$BUILD_DIR" --target demo_driver >/dev/null

XVFB_PID=""
WM_PID=""
WORK="$(mktemp -d)"
cleanup() {
    [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to the pipe.
mkfifo "$WORK/displayfd"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$WORK/displayfd" >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
if ! read -r -t 20 n <"$WORK/displayfd" || [ -z "$n" ]; then
    echo "demo: Xvfb did not start:" >&2
    cat "$WORK/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$n"
# The virtual display, whatever the session around it uses.
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

for wm in openbox jwm icewm twm; do
    if command -v "$wm" >/dev/null; then
        "$wm" >"$WORK/wm.log" 2>&1 &
        WM_PID=$!
        sleep 1
        break
    fi
done
if [ -z "$WM_PID" ]; then
    echo "demo: no window manager found; the windows are shown without title bars" >&2
fi

"$DRIVER" "$OUT"
echo "$OUT"
