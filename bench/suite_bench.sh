#!/usr/bin/env bash
# The contributor's loop in figures: the suite's wall time as scripts/test.sh
# runs it, the time from a fresh clone to the first test result (and to the
# last), and the ten slowest tests with the processor time each takes alone.
# The machine's load is printed beside each figure. Asserts nothing.
# Usage: bench/suite_bench.sh [build-folder] [--no-clone]
#   build-folder: an existing build of this tree (default build); it is
#   built first when out of date.
#   --no-clone:   leave out the fresh clone (it builds everything from
#                 nothing, without ccache: minutes on a loaded machine).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
clone=yes
for arg in "$@"; do
    case $arg in
        --no-clone) clone=no ;;
        *) build=$arg ;;
    esac
done
cores=$(nproc)
test_jobs=$((4 * cores))
scratch=$(mktemp -d /tmp/korri-suite-bench.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
load() { uptime | sed 's/.*load average/load average/'; }
now() { echo "$EPOCHREALTIME"; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }

echo "cores: $cores, test jobs: $test_jobs"

# 1. The suite on a built tree, in one run of ctest (the README's command).
cmake --build "$build" -j "$cores" >/dev/null
echo "suite: starting ($(load))"
start=$(now)
/usr/bin/time -o "$scratch/suite_time.txt" -f '%U %S' \
    ctest --test-dir "$build" --no-tests=error --output-on-failure -j "$test_jobs" >"$scratch/suite.txt" 2>&1 || true
end=$(now)
cp "$scratch/suite.txt" "$build/suite_bench.log"
tests=$(grep -c 'Test *#[0-9]*:' "$scratch/suite.txt" || true)
failed=$(grep -c 'Test *#[0-9]*:.*\*\*\*' "$scratch/suite.txt" || true)
echo "suite: $(seconds "$start" "$end") s wall for $tests tests ($failed failed), ctest -j $test_jobs ($(load))"
read -r s_user s_sys <"$scratch/suite_time.txt"
echo "suite: $(awk -v u="$s_user" -v s="$s_sys" 'BEGIN { print u + s }') s of processor time (user + system)," \
    "so at least $(awk -v u="$s_user" -v s="$s_sys" -v c="$cores" 'BEGIN { printf "%.1f", (u + s) / c }') s on $cores idle cores"
grep 'Test *#[0-9]*:.*\*\*\*' "$scratch/suite.txt" | sed "s|^|  failed (output in $build/suite_bench.log): |" || true

# 2. The ten slowest, each run alone again for its processor time (user +
# system, its programs included; tmux's server and Chromium's helpers, which
# the test does not wait for, are not counted).
echo "slowest ten (wall in the suite; alone: wall, processor):"
sed -n 's/.*Test *#[0-9]*: \([^ ]*\) .*Passed *\([0-9.]*\) sec.*/\2 \1/p; s/.*Test *#[0-9]*: \([^ ]*\) .*\*\*\*.* \([0-9.]*\) sec.*/\2 \1/p' \
    "$scratch/suite.txt" | sort -rn | head -10 >"$scratch/slowest.txt"
while read -r wall name; do
    /usr/bin/time -o "$scratch/time.txt" -f '%e %U %S' \
        ctest --test-dir "$build" -R "^${name//./\\.}\$" </dev/null >/dev/null 2>&1 || true
    read -r a_wall a_user a_sys <"$scratch/time.txt"
    printf '  %6.1f s  %-70s alone %5.1f s, processor %5.1f s\n' "$wall" "$name" "$a_wall" \
        "$(awk -v u="$a_user" -v s="$a_sys" 'BEGIN { print u + s }')"
done <"$scratch/slowest.txt"

# 3. A fresh clone of the committed tree to its first test result, with
# scripts/test.sh and no compiler cache.
if [ "$clone" = yes ]; then
    git clone --quiet "$PWD" "$scratch/clone"
    echo "fresh clone: starting ($(load))"
    start=$(now)
    first=""
    while IFS= read -r line; do
        if [ -z "$first" ] && [[ $line =~ Test\ +#[0-9]+: ]]; then
            first=$(now)
            echo "fresh clone: first test result after $(seconds "$start" "$first") s ($(load))"
        fi
        printf '%s\n' "$line" >>"$scratch/clone.txt"
    done < <(cd "$scratch/clone" && env -u CMAKE_CXX_COMPILER_LAUNCHER -u CMAKE_C_COMPILER_LAUNCHER \
                 CCACHE_DISABLE=1 scripts/test.sh build 2>&1 || true)
    end=$(now)
    echo "fresh clone: every test done after $(seconds "$start" "$end") s," \
        "$(grep -c 'Test *#[0-9]*:' "$scratch/clone.txt" || true) tests," \
        "$(grep -c 'Test *#[0-9]*:.*\*\*\*' "$scratch/clone.txt" || true) failed ($(load))"
    cp "$scratch/clone.txt" "$build/suite_bench_clone.log"
fi
