#!/usr/bin/env bash
# Static analysis of the product and its tools: cppcheck, then clang-tidy with
# the checks of .clang-tidy. Any finding fails the run. Suppressions stand in
# the code (cppcheck-suppress, NOLINT), each with its reason.
# Usage: scripts/static-analysis.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-tidy}
scripts/ensure-packages.sh cppcheck clang-tidy nlohmann-json3-dev nettle-dev libgeographiclib-dev

cppcheck --enable=warning,performance,portability --std=c++20 --inline-suppr --error-exitcode=1 --quiet \
    -I src -I tools src tools

cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DKORRI_TESTS=OFF >/dev/null
run-clang-tidy -p "$build" -quiet -j "$(nproc)" "$(pwd)/(src|tools)/" >"$build/clang-tidy.log" 2>&1 || {
    grep -E "(warning|error):" "$build/clang-tidy.log" | sort -u >&2
    echo "clang-tidy found the above (full log: $build/clang-tidy.log)" >&2
    exit 1
}
echo "static analysis: no findings"
