#!/usr/bin/env bash
# Builds everything and runs every test: first the unit tests, which need
# only the libraries (their results show while the programs still build),
# then the programs and the rest of the suite.
# Usage: scripts/test.sh [build-folder] [extra cmake options ...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
# srec_cat makes the firmware tests' reference images; korrimap needs its JSON
# and geodesic libraries, and its picture test renders with chromium and
# decodes the PNG with libpng; the console edits lines with libedit, its
# terminal test runs in tmux, the package test needs dpkg-dev and man-db.
scripts/ensure-packages.sh libgtest-dev srecord nlohmann-json3-dev nettle-dev libgeographiclib-dev \
    chromium libpng-dev fonts-dejavu-core libedit-dev tmux dpkg-dev man-db
cores=$(nproc)
# Most tests wait far more than they compute: four at a time a core; the
# few that keep a core busy take a core's four (tests/CMakeLists.txt).
# KORRI_TEST_JOBS sets another count (CI's sanitizer run: one a core, as the
# programs run several times slower there).
test_jobs=${KORRI_TEST_JOBS:-$((4 * cores))}
# Unity batches and a precompiled header: the first results come sooner on
# a build from nothing (an option given after it overrides it).
cmake -S . -B "$build" -DKORRI_QUICK_BUILD=ON "$@"
status=0
# The unit tests run while the programs and the end-to-end tests build.
cmake --build "$build" -j "$cores" --target korri_unit_tests
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$test_jobs" -L '^unit$' &
unit=$!
build_status=0
cmake --build "$build" -j "$cores" || build_status=$?
wait "$unit" || status=$?
[ "$build_status" -eq 0 ] || exit "$build_status"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$test_jobs" -LE '^unit$' || status=$?
exit "$status"
