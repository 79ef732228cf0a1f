#!/usr/bin/env bash
# Builds the engine and command tests with ThreadSanitizer into build-tsan/
# (or $QUINDLE_TSAN_BUILD_DIR) and runs them: every command computes on a
# worker thread, and these tests hand computations over, cancel them and
# close windows while they run. Any report fails the run; reports among Qt's
# and GLib's own threads are suppressed (scripts/tsan.supp).
#
#   scripts/test-threads.sh
set -euo pipefail

cd "$(dirname "$0")/.."
ROOT="$(pwd)"
BUILD_DIR="${QUINDLE_TSAN_BUILD_DIR:-build-tsan}"

cmake -S . -B "$BUILD_DIR" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUINDLE_SANITIZE_THREAD=ON \
    -DQUINDLE_BUILD_BENCH=OFF \
    -DQUINDLE_BUILD_TESTS=ON
cmake --build "$BUILD_DIR" --parallel "${QUINDLE_JOBS:-2}" --target test_engine test_commands

export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$ROOT/scripts/tsan.supp"
export QT_QPA_PLATFORM=offscreen
HOME_DIR="$(mktemp -d)"
trap 'rm -rf "$HOME_DIR"' EXIT
export XDG_STATE_HOME="$HOME_DIR/state" XDG_CONFIG_HOME="$HOME_DIR/config"

"$BUILD_DIR/tests/engine/test_engine" --gtest_filter='Progress.*'
"$BUILD_DIR/tests/commands/test_commands"
echo "ThreadSanitizer: no reports"
