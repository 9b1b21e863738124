#!/bin/sh
# Measures the download at 57600 bit/s against korrisim pacing the line in
# both directions (--pace: every byte takes 10 bits' time each way), and
# compares it with the line's own limit: all bytes on the wire, packets and
# answers, at 10 bits a byte, one after the other (stop-and-wait).
#
#   bench/download_bench.sh [BUILD_DIR] [RUNS]     (defaults: build 3)
#
# Prints one line per run and the mean per scenario. The device's figures
# come from korrisim's log: the bytes it heard and answered and the time from
# the first packet byte to its last answer; "utility" is the time from the
# "download" word reaching the device to the utility closing the port.
set -eu
BUILD=${1:-build}
RUNS=${2:-3}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RATE=57600
SIM="$BUILD/korrisim"
UTIL="$BUILD/korrimatic"
[ -x "$SIM" ] && [ -x "$UTIL" ] || { echo "build $SIM and $UTIL first" >&2; exit 2; }

WORK=$(mktemp -d)
SIM_PID=
cleanup() {
    [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

# Fifty rules, the most the table holds.
i=0
while [ $i -lt 50 ]; do
    echo "pass circle $((i + 1)), 39:$((10 + i)):00, -104:30:00"
    i=$((i + 1))
done > "$WORK/fifty.rul"

run_once() {  # scenario
    dir="$WORK/run"
    rm -rf "$dir"; mkdir "$dir"
    "$SIM" --pace --link="$dir/com1" --log="$dir/sim.log" > "$dir/sim.out" &
    SIM_PID=$!
    while [ ! -s "$dir/sim.out" ]; do sleep 0.05; done
    case $1 in
    default)  input="connect 1 $RATE\ndownload\ny\ny\nexit\n" ;;
    examples) input="configure $ROOT/examples/station.cfg\nrules $ROOT/examples/station.rul\nconnect 1 $RATE\ndownload\nexit\n" ;;
    fifty)    input="rules $WORK/fifty.rul\nconnect 1 $RATE\ndownload\ny\nexit\n" ;;
    esac
    printf "$input" | KORRIMATIC_COM1="$dir/com1" "$UTIL" > "$dir/util.out"
    grep -q '^Disconnected' "$dir/util.out" || { echo "$1: download did not run" >&2; cat "$dir/util.out" >&2; exit 1; }
    grep -q 'Downloading Rules succeeded' "$dir/util.out" || { echo "$1: download failed" >&2; exit 1; }
    sleep 0.2
    kill "$SIM_PID"; wait "$SIM_PID" 2>/dev/null || true; SIM_PID=
    awk -v rate=$RATE -v scenario="$1" '
        / rx download<0D><0A>/ && !word { word = $1 }
        /download: figures:/ { heard = $4; said = $7; device_ms = $11 }
        /host closed the port/ && word && !closed { closed = $1 }
        END {
            bytes = heard + said
            limit_ms = bytes * 10 * 1000 / rate
            printf "%-9s wire bytes %5d = %4d + %2d answers   limit %7.1f ms   device %7.1f ms = %.2f x limit   utility %7.1f ms\n",
                   scenario, bytes, heard, said, limit_ms, device_ms, device_ms / limit_ms, (closed - word) * 1000
        }' "$dir/sim.log"
}

echo "download at $RATE bit/s, korrisim --pace, $RUNS runs per scenario"
for scenario in default examples fifty; do
    r=0
    while [ $r -lt "$RUNS" ]; do
        run_once $scenario
        r=$((r + 1))
    done | tee "$WORK/$scenario.txt"
    awk '{ n++; l = $11; d += $14; u += $21 } END { printf "%-9s mean: limit %.1f ms, device %.1f ms = %.2f x limit, utility %.1f ms\n\n", $1, l, d / n, d / n / l, u / n }' "$WORK/$scenario.txt"
done
