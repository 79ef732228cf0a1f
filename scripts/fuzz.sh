#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (or
# $QUINDLE_FUZZ_BUILD_DIR) and runs each one: first over its checked-in seeds
# (fuzz/corpus/<target>/, copied into the build folder so that new inputs
# never land in the repository), then SECONDS (default 60) of new inputs.
# Fails on any crash, sanitizer report, failed check, time-out or memory
# blow-up; the input is saved in build-fuzz/artifacts/<target>/.
#
#   scripts/fuzz.sh [SECONDS] [target...]
set -euo pipefail

cd "$(dirname "$0")/.."
ROOT="$(pwd)"
SECONDS_EACH="${1:-60}"
shift || true
BUILD_DIR="${QUINDLE_FUZZ_BUILD_DIR:-build-fuzz}"
TARGETS=("$@")
if [ ${#TARGETS[@]} -eq 0 ]; then
    TARGETS=(fuzz_object_file fuzz_cell_text fuzz_number_forms fuzz_session_file)
fi

if ! [[ "$SECONDS_EACH" =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/fuzz.sh [SECONDS] [target...]" >&2
    exit 2
fi

# clang and its compiler runtime (libFuzzer and the sanitizers) come from
# scripts/setup.sh --deps, which make fuzz runs first.
scripts/setup.sh --deps

cmake -S fuzz -B "$BUILD_DIR" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" --parallel "${QUINDLE_JOBS:-2}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

max_len_of() {
    case "$1" in
        fuzz_object_file) echo 4096 ;;
        fuzz_cell_text) echo 256 ;;
        fuzz_number_forms) echo 64 ;;
        fuzz_session_file) echo 8192 ;;
        *) echo 4096 ;;
    esac
}
dict_of() {
    case "$1" in
        fuzz_object_file) echo "$ROOT/fuzz/object_file.dict" ;;
        fuzz_cell_text) echo "$ROOT/fuzz/cell_text.dict" ;;
        fuzz_session_file) echo "$ROOT/fuzz/session_file.dict" ;;
        *) echo "" ;;
    esac
}

declare -A EXECS
failed=()
for t in "${TARGETS[@]}"; do
    seeds="$ROOT/fuzz/corpus/$t"
    work="$BUILD_DIR/corpus/$t"
    artifacts="$BUILD_DIR/artifacts/$t"
    log="$BUILD_DIR/logs/$t.log"
    mkdir -p "$work" "$artifacts" "$(dirname "$log")"
    if [ -d "$seeds" ]; then
        cp -n "$seeds"/* "$work"/ 2>/dev/null || true
    fi
    args=(-max_len="$(max_len_of "$t")" -timeout=10 -rss_limit_mb=2048
        -print_final_stats=1 -artifact_prefix="$artifacts/" -use_value_profile=1)
    dict="$(dict_of "$t")"
    if [ -n "$dict" ]; then
        args+=(-dict="$dict")
    fi

    echo "== $t: seeds"
    rc=0
    # Each seed once, as a regression run.
    if [ -d "$seeds" ] && [ -n "$(ls -A "$seeds")" ]; then
        "$BUILD_DIR/$t" "${args[@]}" "$seeds"/* >"$log.seeds" 2>&1 || rc=$?
    fi
    if [ "$rc" -ne 0 ]; then
        tail -n 40 "$log.seeds"
        echo "== $t: FAILED on a checked-in seed (exit $rc)"
        failed+=("$t")
        EXECS[$t]="-"
        continue
    fi

    echo "== $t: $SECONDS_EACH s of new inputs"
    "$BUILD_DIR/$t" "${args[@]}" -max_total_time="$SECONDS_EACH" "$work" >"$log" 2>&1 || rc=$?
    EXECS[$t]="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    if [ "$rc" -ne 0 ]; then
        tail -n 60 "$log"
        echo "== $t: FAILED (exit $rc); input saved in $artifacts/"
        failed+=("$t")
    fi
done

echo
echo "Fuzz executions (${SECONDS_EACH} s each):"
for t in "${TARGETS[@]}"; do
    printf '  %-20s %s\n' "$t" "${EXECS[$t]:-?}"
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "No crashes."
