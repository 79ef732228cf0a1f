#!/usr/bin/env bash
# Shows the main dialog with a few objects open (one of them selected) on a
# virtual X screen and saves a picture of the screen. Prints the PNG's path.
#
#   scripts/screenshot.sh [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR="${QUINDLE_BUILD_DIR:-build}"
OUT="${1:-/tmp/quindle-screenshot.png}"
DRIVER="$BUILD_DIR/tools/ui_driver"

if [ ! -x "$DRIVER" ]; then
    cmake --build "$BUILD_DIR" --target ui_driver >/dev/null
fi

# A free display number.
n=99
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do
    n=$((n + 1))
done

Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
trap 'kill "$XVFB_PID" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
done

DISPLAY=":$n" "$DRIVER" 5 >/dev/null 2>&1 &
DRIVER_PID=$!
sleep 3
DISPLAY=":$n" import -window root "$OUT"
wait "$DRIVER_PID"
echo "$OUT"
