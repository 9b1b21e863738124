#!/usr/bin/env bash
# The layers of src/, checked on every include:
# - a core subsystem (everything in src/ but shell/) never includes "shell/...";
# - the journal stands between the shell and the rest: only shell/ and
#   journal/ include "journal/...", so the protocols never reach it;
# - every quoted include of src/ names a file of src/ (so nothing of tests/
#   or tools/ is reached from the product, whatever include path is set).
# Prints each offending line as FILE:LINE: text and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

find src -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' \) | sort >/tmp/korri-layers-files.$$
find src -type f | sort >/tmp/korri-layers-known.$$
trap 'rm -f /tmp/korri-layers-files.$$ /tmp/korri-layers-known.$$' EXIT

xargs awk -v known=/tmp/korri-layers-known.$$ '
    BEGIN { while ((getline f < known) > 0) exists[f] = 1 }
    /^[ \t]*#[ \t]*include[ \t]*"/ {
        target = $0
        sub(/^[^"]*"/, "", target)
        sub(/".*$/, "", target)
        split(FILENAME, part, "/")
        dir = FILENAME
        sub(/\/[^\/]*$/, "", dir)
        if (part[2] != "shell" && target ~ /^shell\//) {
            printf "%s:%d: the core includes the shell: %s\n", FILENAME, FNR, target > "/dev/stderr"
            bad = 1
        } else if (part[2] != "shell" && part[2] != "journal" && target ~ /^journal\//) {
            printf "%s:%d: a subsystem below the journal includes it: %s\n", FILENAME, FNR, target > "/dev/stderr"
            bad = 1
        } else if (target ~ /\.\./ || (!(("src/" target) in exists) && !((dir "/" target) in exists))) {
            printf "%s:%d: includes what is not part of src/: %s\n", FILENAME, FNR, target > "/dev/stderr"
            bad = 1
        }
    }
    END { exit bad }
' <"/tmp/korri-layers-files.$$" && echo "layers: no upward include"
