#!/usr/bin/env bash
# Builds the utility and starts it attached to the simulated device: korrisim
# runs in the background on a pseudo-terminal mapped to COM1 (KORRIMATIC_COM1),
# so that `connect 1` works at once; it ends when the utility ends.
# With KORRIMATIC_COM1 already set (a real device), no simulator is started.
# Options after the script's name go to korrisim (see korrisim --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh libedit-dev
# Only the two programs it starts are built (not the tests), with the build's
# progress shown.
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" --target korrimatic korrisim

if [ -n "${KORRIMATIC_COM1:-}" ]; then
    exec build/korrimatic
fi

dir=$(mktemp -d /tmp/korrimatic-run.XXXXXX)
log=build/korrisim.log
build/korrisim --link="$dir/com1" --log="$log" "$@" >"$dir/path" &
sim=$!
cleanup() {
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    rm -rf "$dir"
}
trap cleanup EXIT
for _ in $(seq 50); do
    [ -L "$dir/com1" ] && break
    kill -0 "$sim" 2>/dev/null || { echo "korrisim did not start; see $log" >&2; exit 1; }
    sleep 0.1
done
echo "Simulated Korrimatic on COM1 ($(cat "$dir/path")); its log is $log"
status=0
KORRIMATIC_COM1="$dir/com1" build/korrimatic || status=$?
exit "$status"
