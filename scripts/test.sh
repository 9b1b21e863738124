#!/usr/bin/env bash
# Builds everything and runs every test.
# Usage: scripts/test.sh [build-folder] [extra cmake options ...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
scripts/ensure-packages.sh libgtest-dev srecord
cmake -S . -B "$build" "$@"
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)"
