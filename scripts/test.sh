#!/usr/bin/env bash
# Builds everything and runs every test.
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
cmake -S . -B "$build" "$@"
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)"
