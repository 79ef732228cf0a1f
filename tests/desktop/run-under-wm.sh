#!/usr/bin/env bash
# Runs a test program on displays of its own under a real window manager or
# compositor: starts them on free display numbers and sockets, waits until
# they manage windows, runs the program and stops them again. Exits with 77
# (skipped) when a tool is missing.
# Usage: run-under-wm.sh SESSION PROGRAM [ARGUMENTS...]
#   openbox, metacity  an X display (Xvfb) under that window manager
#   weston             a Wayland display alone (weston, headless)
#   weston-xwayland    an X display (Xwayland) under weston's own X window manager
#   weston-seat        a Wayland display (weston) with a keyboard and pointer: its
#                      output is a window on an X display (Xvfb), where xdotool
#                      types real keys into it; the program runs on Wayland
#   wayland-desktop    an X display (Xvfb) and a Wayland display (weston), both
#                      offered as on a Wayland desktop with Xwayland; no platform
#                      is chosen for the program
# The program finds the session's name in QUINDLE_WINDOW_MANAGER.
set -u
session=$1
shift

case $session in
openbox | metacity) tools=(Xvfb "$session") ;;
weston) tools=(weston) ;;
weston-seat) tools=(Xvfb weston) ;;
weston-xwayland) tools=(weston Xwayland) ;;
wayland-desktop) tools=(Xvfb weston) ;;
*)
    echo "unknown session $session"
    exit 2
    ;;
esac
for tool in xprop xdotool xwininfo "${tools[@]}"; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed: $session tests skipped"
        exit 77
    fi
done
if [ "$session" = weston ] || [ "$session" = weston-seat ] || [ "$session" = wayland-desktop ]; then
    if ! ls "${QUINDLE_QT_PLUGINS:-/nonexistent}"/platforms/libqwayland-* >/dev/null 2>&1; then
        echo "Qt's Wayland platform (qt6-wayland) is not installed: $session tests skipped"
        exit 77
    fi
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Waits up to 20 s for a command to succeed.
await() {
    for _ in $(seq 200); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Xvfb picks a free display and writes its number once it is ready. It
# never resets: by default the server starts over whenever its last client
# leaves (a tool that looked for a window), and a program connecting just
# then loses its connection and falls back to another display system.
start_xvfb() {
    mkfifo "$work/display"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
    pids=("$!" "${pids[@]}")
    if ! read -r -t 20 number <"$work/display"; then
        echo "Xvfb did not start"
        exit 1
    fi
    export DISPLAY=":$number"
}

# Weston, headless (or with the backend given first), on a socket in a
# runtime folder of its own; with --xwayland it also offers an X display
# (Xwayland, started on the first connection) under its own X window manager.
start_weston() {
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    local backend=--backend=headless-backend.so
    case ${1:-} in --backend=*)
        backend=$1
        shift
        ;;
    esac
    weston "$backend" --width=1280 --height=800 --socket=wayland-test \
        --idle-time=0 --log="$work/weston.log" "$@" >/dev/null 2>&1 &
    pids=("$!" "${pids[@]}")
    if ! await test -S "$XDG_RUNTIME_DIR/wayland-test"; then
        echo "weston did not start"
        cat "$work/weston.log"
        exit 1
    fi
    export WAYLAND_DISPLAY=wayland-test
}

managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
await_window_manager() {
    if ! await managed; then
        echo "$session did not start on $DISPLAY"
        exit 1
    fi
}

unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
# The program keeps its objects and settings in folders of this run alone.
export XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config"
case $session in
openbox | metacity)
    start_xvfb
    "$session" >/dev/null 2>&1 &
    pids=("$!" "${pids[@]}")
    await_window_manager
    export QT_QPA_PLATFORM=xcb
    ;;
weston)
    start_weston
    export QT_QPA_PLATFORM=wayland
    ;;
weston-seat)
    start_xvfb
    start_weston --backend=x11-backend.so --use-pixman --shell=kiosk-shell.so
    # Keys typed on the X display reach weston's window there, which has
    # the focus.
    weston_window() { xdotool search --class weston >/dev/null; }
    if ! await weston_window; then
        echo "weston shows no window on $DISPLAY"
        exit 1
    fi
    xdotool mousemove 600 400
    xdotool windowfocus "$(xdotool search --class weston | head -1)"
    export QT_QPA_PLATFORM=wayland
    ;;
weston-xwayland)
    start_weston --xwayland
    unset WAYLAND_DISPLAY
    found_display() { grep -o "xserver listening on display :[0-9]*" "$work/weston.log"; }
    if ! await found_display >/dev/null; then
        echo "weston offers no X display"
        exit 1
    fi
    DISPLAY=$(found_display | grep -o ":[0-9]*$")
    export DISPLAY
    await_window_manager
    export QT_QPA_PLATFORM=xcb
    ;;
wayland-desktop)
    start_xvfb
    start_weston
    export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME
    ;;
esac
export QUINDLE_WINDOW_MANAGER="$session"
echo "$session: DISPLAY=${DISPLAY:-} WAYLAND_DISPLAY=${WAYLAND_DISPLAY:-}"
"$@"
