#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-sanitize/ (or $QUINDLE_SANITIZE_BUILD_DIR) and runs every test.
# Any sanitizer report fails the run: errors abort the test, leak checking is
# on, and only leaks inside Qt and the system libraries are suppressed (see
# scripts/lsan.supp).
#
#   scripts/test-sanitize.sh [extra ctest arguments]
set -euo pipefail

cd "$(dirname "$0")/.."
ROOT="$(pwd)"
BUILD_DIR="${QUINDLE_SANITIZE_BUILD_DIR:-build-sanitize}"

cmake -S . -B "$BUILD_DIR" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUINDLE_SANITIZE=ON \
    -DQUINDLE_BUILD_BENCH=OFF \
    -DQUINDLE_BUILD_TESTS=ON
cmake --build "$BUILD_DIR" --parallel "${QUINDLE_JOBS:-2}"

# abort_on_error makes a report end the process with SIGABRT, so ctest counts
# the test as failed even where a test harness would swallow the exit code.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:detect_invalid_pointer_pairs=0:print_summary=1"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=1:report_objects=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$ROOT/scripts/ubsan.supp"
# Qt's offscreen platform is set per test by CTest; this keeps tests that
# forgot it off any real display too.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

cd "$BUILD_DIR"
ctest --output-on-failure --timeout 900 "$@"
