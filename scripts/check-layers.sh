#!/usr/bin/env bash
# The layers of src/, checked on every include, quoted or angle-bracketed:
# - every folder of src/ has a rank (RANKS below), and a file includes from
#   its own folder or from a folder of a lower rank only: arrows point down,
#   and two folders of one rank know nothing of each other;
# - no include cycle, between files or between folders;
# - every quoted include of src/ names a file of src/ (so nothing of tests/
#   or tools/ is reached from the product, whatever include path is set).
# Prints each offending line as FILE:LINE: text and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# A new folder gets its rank here before its first file builds; journal and
# decode have theirs already, beside check: over the subsystems, under the
# shell.
RANKS="process=0 text=1 station=2 serial=2 angles=2 config=3 rules=3 device=3
       download=4 firmware=4 check=5 journal=5 decode=5 shell=6"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/korri-layers.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

find src -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' \) | sort >"$scratch/files"
find src -type f | sort >"$scratch/known"
find src -mindepth 1 -maxdepth 1 -type d | sed 's|^src/||' | sort >"$scratch/folders"

status=0
# Writes the file edges to $scratch/file-edges and the folder edges to
# $scratch/folder-edges, for the cycle check below.
xargs awk -v known="$scratch/known" -v folders="$scratch/folders" -v ranks="$RANKS" \
          -v file_edges="$scratch/file-edges" -v folder_edges="$scratch/folder-edges" '
    BEGIN {
        while ((getline f < known) > 0) exists[f] = 1
        while ((getline d < folders) > 0) folder[d] = 1
        n = split(ranks, pair, /[ \t\n]+/)
        for (i = 1; i <= n; ++i) {
            if (pair[i] == "") continue
            split(pair[i], kv, "=")
            rank[kv[1]] = kv[2] + 0
            folder[kv[1]] = 1
        }
        printf "" > file_edges
        printf "" > folder_edges
    }
    FNR == 1 {
        own = (split(FILENAME, part, "/") > 2) ? part[2] : ""
        dir = FILENAME
        sub(/\/[^\/]*$/, "", dir)
        if (!(own in rank)) {
            printf "%s:1: folder src/%s has no rank in scripts/check-layers.sh\n", FILENAME, own > "/dev/stderr"
            bad = 1
        }
    }
    /^[ \t]*#[ \t]*include[ \t]*["<]/ {
        quoted = $0 ~ /^[ \t]*#[ \t]*include[ \t]*"/
        target = $0
        if (quoted) { sub(/^[^"]*"/, "", target); sub(/".*$/, "", target) }
        else { sub(/^[^<]*</, "", target); sub(/>.*$/, "", target) }
        if (quoted && (target ~ /\.\./ || (!(("src/" target) in exists) && !((dir "/" target) in exists)))) {
            printf "%s:%d: includes what is not part of src/: %s\n", FILENAME, FNR, target > "/dev/stderr"
            bad = 1
            next
        }
        if (quoted && ((dir "/" target) in exists)) resolved = dir "/" target
        else resolved = "src/" target
        depth = split(resolved, tpart, "/")
        theirs = tpart[2]
        # An angle-bracketed include of what is no folder of src/ is one of
        # the system (<sys/stat.h>, <linux/serial.h>).
        if (!quoted && (depth < 3 || !(theirs in folder))) next
        print FILENAME, resolved > file_edges
        if (theirs == own) next
        print own, theirs > folder_edges
        if (!(own in rank) || !(theirs in rank)) next
        if (rank[theirs] >= rank[own]) {
            printf "%s:%d: %s (rank %d) includes %s (rank %d): %s\n", FILENAME, FNR, own, rank[own], theirs,
                   rank[theirs], target > "/dev/stderr"
            bad = 1
        }
    }
    END { exit bad }
' <"$scratch/files" || status=1

for graph in file folder; do
    if ! sort -u "$scratch/$graph-edges" | tsort >/dev/null 2>"$scratch/loop"; then
        echo "src/: the ${graph}s include each other in a cycle:" >&2
        sed -n 's/^tsort: //p' "$scratch/loop" | grep -v 'input contains a loop' | awk '!seen[$0]++ { print "  " $0 }' >&2
        status=1
    fi
done

if [ "$status" -ne 0 ]; then
    echo "layers: the arrows of src/ must point down" >&2
    exit 1
fi
echo "layers: every include points down, no cycle"
