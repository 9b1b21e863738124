#!/usr/bin/env bash
# scripts/check-layers.sh on a copy of src/ with one planted include per
# case: it passes the tree as it is and includes that point down, and fails
# an include that points up or sideways (quoted or angle-bracketed), an
# include cycle, a folder without a rank and an include of tests/, each with
# its own message.
# Usage: check_layers_test.sh SOURCE_DIR
set -uo pipefail
source_dir=${1:?usage: check_layers_test.sh SOURCE_DIR}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/korri-layers-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0
# One copy of the tree; each case links its files and plants new ones beside
# them, so the copy is never written.
mkdir -p "$scratch/base/scripts"
cp -r "$source_dir/src" "$scratch/base/src"
cp "$source_dir/scripts/check-layers.sh" "$scratch/base/scripts/"

# A case: its name, what the check must say ("pass", or an extended regular
# expression its messages must match), then the files to plant, each as
# PATH=LINE (the line is the whole text of a new file).
case_of() {
    local name=$1 expect=$2
    shift 2
    rm -rf "$scratch/tree"
    cp -al "$scratch/base" "$scratch/tree"
    local planted
    for planted in "$@"; do
        if [ -e "$scratch/tree/${planted%%=*}" ]; then
            echo "FAILED: $name: ${planted%%=*} is a file of the tree: plant another"
            failures=$((failures + 1))
            return
        fi
        mkdir -p "$(dirname "$scratch/tree/${planted%%=*}")"
        printf '%s\n' "${planted#*=}" >"$scratch/tree/${planted%%=*}"
    done
    local said status
    said=$("$scratch/tree/scripts/check-layers.sh" 2>&1)
    status=$?
    if [ "$expect" = pass ]; then
        [ "$status" -eq 0 ] && return
        echo "FAILED: $name: the check failed:"
    else
        [ "$status" -ne 0 ] && grep -Eq -- "$expect" <<<"$said" && return
        echo "FAILED: $name: expected a failure saying /$expect/, got status $status:"
    fi
    sed 's/^/    /' <<<"$said"
    failures=$((failures + 1))
}

case_of "the tree as it is" pass
case_of "includes that point down, and the system's headers" pass \
    'src/journal/planted.cpp=#include "firmware/planted.hpp"' \
    'src/firmware/planted.hpp=#include <sys/stat.h>' \
    'src/shell/planted.cpp=#include <journal/planted.hpp>' \
    'src/journal/planted.hpp=#include "planted_low.hpp"' \
    'src/journal/planted_low.hpp=#include "station/planted.hpp"' \
    'src/station/planted.hpp=#include "text/planted.hpp"' \
    'src/text/planted.hpp=#include "process/planted.hpp"' \
    'src/process/planted.hpp=#include <cstdio>'
case_of "serial includes device" 'src/serial/planted\.hpp:1: serial \(rank 2\) includes device \(rank 3\)' \
    'src/serial/planted.hpp=#include "device/planted.hpp"' \
    'src/device/planted.hpp=#include <cstdio>'
case_of "text includes download, angle-bracketed" 'src/text/planted\.cpp:1: text \(rank 1\) includes download' \
    'src/text/planted.cpp=#include <download/planted.hpp>' \
    'src/download/planted.hpp=#include <cstdio>'
case_of "the core includes the shell, spaced and commented" 'src/check/planted\.cpp:1: check \(rank 5\) includes shell \(rank 6\)' \
    'src/check/planted.cpp=  #  include   <shell/planted.hpp>  // planted' \
    'src/shell/planted.hpp=#include <cstdio>'
case_of "station includes config" 'src/station/planted\.hpp:1: station \(rank 2\) includes config \(rank 3\)' \
    'src/station/planted.hpp=#include "config/planted.hpp"' \
    'src/config/planted.hpp=#include <cstdio>'
case_of "config includes rules, of the same rank" 'src/config/planted\.hpp:1: config \(rank 3\) includes rules \(rank 3\)' \
    'src/config/planted.hpp=#include "rules/planted.hpp"' \
    'src/rules/planted.hpp=#include <cstdio>'
case_of "decode includes journal, of the same rank" 'decode \(rank 5\) includes journal \(rank 5\)' \
    'src/decode/planted.cpp=#include "journal/planted.hpp"' \
    'src/journal/planted.hpp=#include <cstdio>'
case_of "two headers of one folder include each other" 'files include each other in a cycle' \
    'src/text/planted_a.hpp=#include "text/planted_b.hpp"' \
    'src/text/planted_b.hpp=#include "planted_a.hpp"'
case_of "a folder without a rank" 'src/planted/planted\.cpp:1: folder src/planted has no rank' \
    'src/planted/planted.cpp=#include "text/planted.hpp"' \
    'src/text/planted.hpp=#include <cstdio>'
case_of "the product includes the tests' support" 'src/text/planted\.cpp:1: includes what is not part of src/' \
    'src/text/planted.cpp=#include "support/capture.hpp"'

if [ "$failures" -ne 0 ]; then
    echo "$failures case(s) failed"
    exit 1
fi
echo "check-layers: every case as expected"
