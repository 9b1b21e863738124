#!/usr/bin/env bash
# Builds the utility and starts it attached to the simulated device: korrisim
# runs in the background on a pseudo-terminal mapped to COM1 (KORRIMATIC_COM1),
# so that `connect 1` and `firmware 1 FILE` work at once; it ends when the
# utility ends. It runs in a session of its own, so that the terminal's Ctrl-C
# reaches the utility alone, and the script says so at once if it ends early.
# With KORRIMATIC_COM1 already set (a real device), no simulator is started.
# Options after the script's name go to korrisim (see korrisim --help).
# With KORRI_BUILD_DIR set, the programs already built there are used as they
# are (nothing is built).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KORRI_BUILD_DIR:-build}
if [ -z "${KORRI_BUILD_DIR:-}" ]; then
    scripts/ensure-packages.sh libedit-dev nlohmann-json3-dev nettle-dev
    # Only the two programs it starts are built (not the tests), with the
    # build's progress shown.
    cmake -S . -B build >/dev/null
    cmake --build build -j "$(nproc)" --target korrimatic korrisim
fi

if [ -n "${KORRIMATIC_COM1:-}" ]; then
    exec "$build/korrimatic"
fi

dir=$(mktemp -d /tmp/korrimatic-run.XXXXXX)
log=$build/korrisim.log
# setsid: korrisim leaves the terminal's process group (a background child of
# this script leads no group, so setsid starts it in place and $! is its id).
setsid "$build/korrisim" --link="$dir/com1" --log="$log" "$@" >"$dir/path" </dev/null &
sim=$!
watcher=
cleanup() {
    if [ -n "$watcher" ]; then kill "$watcher" 2>/dev/null || true; fi
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
# Says at once when the simulated device ends while the utility runs.
watch_sim() {
    while kill -0 "$sim" 2>/dev/null; do sleep 0.5; done
    printf '\nrun.sh: the simulated Korrimatic (korrisim) has ended; its log is %s.\n' "$log" >&2
    printf 'run.sh: COM1 is gone: leave the utility (exit) and start scripts/run.sh again.\n' >&2
}
watch_sim &
watcher=$!
echo "Simulated Korrimatic on COM1 ($(cat "$dir/path")); its log is $log"
echo "It answers connect, download and firmware alike (see tools/korrisim/README.md)."
status=0
KORRIMATIC_COM1="$dir/com1" "$build/korrimatic" || status=$?
exit "$status"
