#!/usr/bin/env bash
# Builds the utility and starts it attached to the simulated device: korrisim
# runs in the background on a pseudo-terminal mapped to COM1 (KORRIMATIC_COM1),
# so that `connect 1` and `firmware 1 FILE` work at once; it ends when the
# utility ends. It runs in a session of its own, so that the terminal's Ctrl-C
# reaches the utility alone, and the script says so at once if it ends early.
# With KORRIMATIC_COM1 already set (a real device), no simulator is started.
# Options after the script's name go to korrisim (see korrisim --help).
# The simulated line is paced at the port's rate in both directions, as a
# real one (korrisim --pace, and the loader's --loader-rx-rate=19200), so that
# the countdowns, the progress bar and the transfer's figures are those of a
# real line; --no-pace, the script's own option, gives the line at full speed.
# With KORRI_BUILD_DIR set, the programs already built there are used as they
# are (nothing is built); otherwise korrimatic, korrisim and korrimap are built.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KORRI_BUILD_DIR:-build}
if [ -z "${KORRI_BUILD_DIR:-}" ]; then
    scripts/ensure-packages.sh libedit-dev nlohmann-json3-dev libgeographiclib-dev nettle-dev
    # The two programs it starts and the companion the README shows next
    # (not the tests), with the build's progress shown.
    cmake -S . -B build >/dev/null
    cmake --build build -j "$(nproc)" --target korrimatic korrisim korrimap
fi

# The line paced unless --no-pace is given; the options given come after the
# pacing's, so that a --loader-rx-rate of the caller's own wins.
pace=(--pace --loader-rx-rate=19200)
sim_options=()
for option in "$@"; do
    if [ "$option" = --no-pace ]; then pace=(); else sim_options+=("$option"); fi
done

if [ -n "${KORRIMATIC_COM1:-}" ]; then
    exec "$build/korrimatic"
fi

dir=$(mktemp -d /tmp/korrimatic-run.XXXXXX)
log=$build/korrisim.log
# setsid: korrisim leaves the terminal's process group (a background child of
# this script leads no group, so setsid starts it in place and $! is its id).
setsid "$build/korrisim" --link="$dir/com1" --log="$log" "${pace[@]}" "${sim_options[@]}" >"$dir/path" </dev/null &
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
if [ ${#pace[@]} -gt 0 ]; then
    echo "Its line is paced at the port's rate (scripts/run.sh --no-pace for full speed)."
fi
status=0
KORRIMATIC_COM1="$dir/com1" "$build/korrimatic" || status=$?
exit "$status"
