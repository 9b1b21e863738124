#!/usr/bin/env bash
# Builds everything and runs every test.
# Usage: scripts/test.sh [build-folder] [extra cmake options ...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
# korrimap's picture test renders with chromium and decodes the PNG with libpng.
scripts/ensure-packages.sh srecord chromium libpng-dev fonts-dejavu-core
cmake -S . -B "$build" "$@"
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
