#!/usr/bin/env bash
# Mutation run over src/: scripts/mutants.sh [COUNT] [SEED] [options].
# See scripts/mutants.py --help; the equivalent mutants are listed in
# scripts/mutants-equivalent.txt.
exec python3 "$(dirname "$0")/mutants.py" "$@"
