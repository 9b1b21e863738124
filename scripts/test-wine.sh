#!/usr/bin/env bash
# Runs the end-to-end tests against the Windows build under Wine: the tests
# that start the utility (with korrisim or without) run korrimatic.exe through
# the korrimatic-wine launcher, as many at once as the Linux suite runs; each
# run has a Wine prefix of its own, with its own COM links.
# Usage: scripts/test-wine.sh [linux-build-folder] [windows-build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
build_win=${2:-build-win}
# libedit for the Linux build, GoogleTest and srec_cat for the tests,
# mingw-w64 for the Windows build and Wine (a 64-bit program needs no i386
# packages) to run it.
scripts/ensure-packages.sh libgtest-dev libedit-dev nlohmann-json3-dev nettle-dev srecord g++-mingw-w64-x86-64 wine wine64

cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target korri_tests
if [ ! -f "$build_win/CMakeCache.txt" ]; then
    cmake -S . -B "$build_win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build_win" -j "$(nproc)" --target korrimatic

launcher=$build/tools/wine/korrimatic-wine
trap '"$launcher" --stop' EXIT
start=$(date +%s)
"$launcher" --prepare
echo "Wine prefix ready in $(($(date +%s) - start)) s"

# The tests that start the utility.
tests='^(ShellTranscript|CommandLine|BadInput|EndToEnd|DownloadEndToEnd|DownloadFaultEndToEnd|FirmwareEndToEnd|RulesTranscript|ConfigCommands|Check)\.'
tests+='|^AnglesHelp\.TheAnglesCommandPrintsIt$|^StationExample\.ConfigureThenDconfigure$'
in_process='^ConfigCommands\.ConfigureSetsAndClearsTheProcessedFlag$'
junit=$(realpath "$build")/wine-tests.xml
status=0
KORRIMATIC_UNDER_TEST=$(realpath "$build_win/korrimatic.exe") \
  ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -R "$tests" -E "$in_process" --output-junit "$junit" ||
  status=$?
# ctest lists the skipped tests; their reasons are in the tests' output.
# A test that runs under Wine without some of its cases names them in a line
# of its own output.
awk '/<testcase name=/ { match($0, /name="[^"]*"/); name = substr($0, RSTART + 6, RLENGTH - 7) }
     reason { print "  " name ": " $0; reason = 0 }
     /: Skipped$/ { reason = 1 }
     /^Skipped under Wine: / { sub(/^Skipped under Wine: /, ""); print "  " name " (in part): " $0 }' "$junit" |
  sed '1i Skipped under Wine:'
exit "$status"
