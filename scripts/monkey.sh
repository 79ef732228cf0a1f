#!/usr/bin/env bash
# A longer random-action run over the whole program: builds into build/ (or
# $QUINDLE_BUILD_DIR) and runs the random-action test with the given seed and
# number of actions. On a failure the test prints the seed, the action and
# the actions before it.
#
#   scripts/monkey.sh [SEED] [ACTIONS]
set -euo pipefail

cd "$(dirname "$0")/.."
SEED="${1:-1}"
ACTIONS="${2:-20000}"
BUILD_DIR="${QUINDLE_BUILD_DIR:-build}"

if ! [[ "$SEED" =~ ^[0-9]+$ && "$ACTIONS" =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/monkey.sh [SEED] [ACTIONS]" >&2
    exit 2
fi

cmake --build "$BUILD_DIR" --target test_reliability
cd "$BUILD_DIR"
QUINDLE_MONKEY_SEED="$SEED" QUINDLE_MONKEY_ACTIONS="$ACTIONS" \
    ctest -R '^Monkey\.' --output-on-failure --verbose --timeout 0
