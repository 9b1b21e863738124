#!/usr/bin/env bash
# Builds the utility and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" >/dev/null
exec build/korrimatic
