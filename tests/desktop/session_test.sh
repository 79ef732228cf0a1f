#!/usr/bin/env bash
# The open objects outlive the program: the real program under a window
# manager, driven with real keys, ended in every way, started again; what
# came back is read through its clipboard copy (Ctrl+Shift+C). Run by
# run-under-wm.sh, which gives it display, state and settings folders of its
# own. Exits with 77 (skipped) without xclip.
# Usage: session_test.sh PROGRAM
set -u
program=$1
if ! command -v xclip >/dev/null; then
    echo "xclip is not installed: session tests skipped"
    exit 77
fi
folder="$XDG_STATE_HOME/quindle"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
failures=0

check() {
    if eval "$2"; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        failures=$((failures + 1))
    fi
}
# Waits up to 10 s for a command to succeed.
await() {
    for _ in $(seq 100); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}
window_of() { xdotool search --all --pid "$1" --name "$2"; }
# Starts the program with its arguments; pid holds its process.
start() {
    : >"$log"
    "$program" "$@" 2>"$log" &
    pid=$!
    await window_of "$pid" '^Quindle$' || echo "no main dialog"
    sleep 0.5
}
ended() { ! kill -0 "$1" 2>/dev/null; }
keys() {
    xdotool key --delay 80 "$@"
    sleep 0.4
}
# The text of the object window brought forward from the list's first entry.
first_object_text() {
    keys ctrl+l Home Return
    keys ctrl+shift+c
    xclip -o -selection clipboard 2>/dev/null
}
tab=$'\t'

# A 1 x 2 object typed in, selected; Escape on the main dialog ends the
# program, and the next start brings it back as it was.
start
keys Down Tab Down Down ctrl+n
xdotool type --delay 60 "1e3b"
keys Tab
xdotool type --delay 60 "7"
keys ctrl+space ctrl+l Escape
check "Escape ends the program" "await ended $pid"
check "the session is readable by the user alone" \
    "[ \"\$(stat -c %a \"$folder\"/session-*.txt)\" = 600 ]"
start
check "the object comes back with its number and size" "await window_of $pid '^1  \\[1X2\\]'"
check "its cells come back exactly as shown" "[ \"\$(first_object_text)\" = \"1e3b${tab}7\" ]"

# A change, then the process killed 3 seconds later: the change is kept.
keys ctrl+a
xdotool type --delay 60 "5"
sleep 3
kill -9 "$pid"
wait "$pid" 2>/dev/null
start
check "a change outlives kill -9 after 3 s" "[ \"\$(first_object_text)\" = \"5${tab}7\" ]"

# A second program meanwhile starts empty and takes nothing; SIGINT and
# SIGTERM end both as Close does.
first=$pid
start
check "a second program starts beside it" "window_of $pid '^Quindle\$'"
check "a second program does not take the running one's objects" \
    "! window_of $pid '\\[1X2\\]' >/dev/null"
kill -INT "$pid"
check "SIGINT ends the program" "await ended $pid"
kill -TERM "$first"
check "SIGTERM ends the program" "await ended $first"
check "one session is kept: the first one's" \
    "[ \$(ls \"$folder\"/session-*.txt | wc -l) = 1 ] && grep -q '\"5\"' \"$folder\"/session-*.txt"

# A damaged session: one line on standard error, moved aside, what could be
# read comes back, the program starts.
session=$(ls "$folder"/session-*.txt)
printf 'quindle-session 1\nobject 4 1 1 100 100 "" "" "42"\nobject 5 1 1 1' >"$session"
start
check "a damaged session still starts the program" "! ended $pid"
check "it is told in one line" "[ \$(grep -c 'could not be read' \"$log\") = 1 ]"
check "it is moved aside" "ls \"$folder\"/session-*.unreadable-* >/dev/null"
check "what could be read comes back" "await window_of $pid '^4  \\[1X1\\]'"
kill "$pid"
await ended "$pid"

# A state folder that cannot be made (a file is in the way): one line, and
# the program runs.
XDG_STATE_HOME="$log/state" start
check "without a state folder the program starts" "! ended $pid"
check "and says so in one line" "[ \$(grep -c 'not kept between runs' \"$log\") = 1 ]"
kill "$pid"
await ended "$pid"

echo "$failures failed"
[ "$failures" = 0 ]
