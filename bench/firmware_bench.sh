#!/usr/bin/env bash
# Measures a firmware update of a 64 KiB image at 19200 baud against korrisim
# with the line modelled in both directions (korrisim --pace sends its answers
# at the line rate, --loader-rx-rate takes the host's bytes at it), and
# compares the time with the line's own limit: every record line's characters,
# its CR and the ACK at 10 bits a byte. Prints figures; asserts nothing.
# Usage: bench/firmware_bench.sh [build-folder] [record sizes ...]   (default: build 16 32 128)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
sizes=${*:-16 32 128}
rate=19200
command -v srec_cat >/dev/null || { echo "srec_cat is needed (Debian package srecord)"; exit 1; }
[ -x "$build/korrimatic" ] && [ -x "$build/korrisim" ] || { echo "build $build first"; exit 1; }

work=$(mktemp -d)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

printf '%-8s %7s %10s %10s %10s %7s %s\n' "record" "lines" "limit s" "transfer s" "command s" "ratio" "result"
for size in $sizes; do
    hex=$work/image-$size.hex
    srec_cat -generate 0x0000 0x10000 -repeat-data $(seq 0 255) -o "$hex" -intel -output_block_size="$size"
    srec_cat "$hex" -intel -o "$work/reference.bin" -binary
    lines=$(grep -c '^:' "$hex")
    # The line's limit: record characters + CR + ACK, 10 bits each.
    limit=$(awk -v rate=$rate '/^:/ { sub(/\r$/, ""); bytes += length($0) + 2 } END { printf "%.1f", bytes * 10 / rate }' "$hex")

    rm -f "$work/image.bin" "$work/sim.log"
    "$build/korrisim" --mode=loader --pace --loader-rx-rate=$rate --link="$work/com" \
        --image-out="$work/image.bin" --log="$work/sim.log" >"$work/sim.out" &
    sim_pid=$!
    for _ in $(seq 100); do [ -e "$work/com" ] && break; sleep 0.05; done

    start=$(date +%s.%N)
    printf 'firmware 3 %s\ny\n\nexit\n' "$hex" | KORRIMATIC_COM3="$work/com" "$build/korrimatic" >"$work/out.txt" 2>&1 || true
    end=$(date +%s.%N)
    kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true
    sim_pid=

    # The transfer: from the ACK to the identification to the last answer.
    transfer=$(awk '/loader: identification/ { s = $1 } / tx end$/ { e = $1 } END { printf "%.1f", e - s }' "$work/sim.log")
    command=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", e - s }')
    ratio=$(awk -v t="$transfer" -v l="$limit" 'BEGIN { printf "%.2f", t / l }')
    if grep -q "Firmware update succeeded" "$work/out.txt"; then
        if cmp -s "$work/image.bin" "$work/reference.bin"; then result="ok, image equals srec_cat's"; else result="ok, IMAGE DIFFERS"; fi
    else
        aborted=$(grep -a -o 'Error: [^!]*aborting!' "$work/out.txt" | tail -1)
        result="failed: ${aborted:-see $work/out.txt}; $(grep -a -c 'timed out on Line' "$work/out.txt") time-outs"
    fi
    printf '%-8s %7s %10s %10s %10s %7s %s\n' "$size B" "$lines" "$limit" "$transfer" "$command" "$ratio" "$result"
done
