#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for SECONDS (two at a time). The
# corpus each run grows, its crashes and its log go to
# BUILD/fuzz-runs/<target>/, never into the repository. Exits non-zero when
# any target found a crash or a failed check.
# Usage: scripts/fuzz.sh [SECONDS] [build-folder]   (defaults: 30, build-fuzz)
# FUZZ_RUNS=N also stops each target after N executions; FUZZ_TARGETS="a b"
# runs only those (names without the fuzz_ prefix).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-30}
build=${2:-build-fuzz}
targets=(${FUZZ_TARGETS:-dmctodeg config rules hex shell connect download firmware})

# clang and its libFuzzer runtime; libedit-dev because the product library's
# configuration asks for it.
scripts/ensure-packages.sh clang libclang-rt-14-dev libedit-dev nlohmann-json3-dev nettle-dev

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DKORRI_FUZZ=ON -DKORRI_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_targets

build=$(cd "$build" && pwd)
runs="$build/fuzz-runs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run_target() {
    local t=$1
    local dir="$runs/$t"
    mkdir -p "$dir/corpus" "$dir/crashes" "$dir/tmp"
    local extra=()
    [ -n "${FUZZ_RUNS:-}" ] && extra+=("-runs=$FUZZ_RUNS")
    # Every line of a shell input runs a whole command: short inputs keep the
    # target fast, and 600 bytes still hold lines past the 255-character limit.
    [ "$t" = shell ] && extra+=("-max_len=600")
    # The protocol targets read one choice a byte: a few hundred bytes already
    # script more faults than an exchange survives.
    case $t in connect | download | firmware) extra+=("-max_len=512") ;; esac
    local start=$SECONDS status=0
    # The shell target works in a scratch folder of its own, made under tmp/.
    (cd "$dir/tmp" && TMPDIR="$dir/tmp" "$build/fuzz/fuzz_$t" \
        -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
        -dict="$root/fuzz/dict/$t.dict" -artifact_prefix="$dir/crashes/" "${extra[@]}" \
        "$dir/corpus" "$root/fuzz/corpus/$t") >"$dir/log" 2>&1 || status=$?
    echo $((SECONDS - start)) >"$dir/seconds"
    echo "$status" >"$dir/status"
}

rm -rf "${targets[@]/#/$runs/}"
for t in "${targets[@]}"; do
    # Two at a time: wait for one to end before starting a third.
    while [ "$(jobs -rp | wc -l)" -ge 2 ]; do wait -n || true; done
    echo "fuzzing $t for ${seconds} s"
    run_target "$t" &
done
wait

failed=0
passed_count=0
failed_count=0
printf '%-10s %14s %8s %8s  %s\n' target executions seconds crashes result
for t in "${targets[@]}"; do
    dir="$runs/$t"
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
    took=$(cat "$dir/seconds" 2>/dev/null || echo -)
    crashes=$(find "$dir/crashes" -type f | wc -l)
    result=ok
    status=$(cat "$dir/status" 2>/dev/null || echo "none")
    if [ "$status" != 0 ] || [ "$crashes" -ne 0 ]; then
        result="FAILED (exit $status; log $dir/log)"
        failed=1
        failed_count=$((failed_count + 1))
    else
        passed_count=$((passed_count + 1))
    fi
    printf '%-10s %14s %8s %8s  %s\n' "$t" "${execs:-?}" "${took:--}" "$crashes" "$result"
done
echo "fuzz: $passed_count passed, $failed_count failed"
if [ "$failed" -ne 0 ]; then
    echo "A target found a crash or a failed check: replay with $build/fuzz/fuzz_<target> <crash file>" >&2
    for t in "${targets[@]}"; do
        grep -h -m3 -E 'failed check|ERROR: (AddressSanitizer|libFuzzer)|runtime error' "$runs/$t/log" 2>/dev/null | sed "s/^/$t: /" >&2 || true
    done
    exit 1
fi
