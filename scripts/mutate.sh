#!/usr/bin/env bash
# Mutation testing of the natively built pure code (not part of the test run: a full run takes about an hour on
# two cores). Usage: scripts/mutate.sh [COUNT] [--seed N] [--files REGEX] [--work DIR] [--revision REV]
#   [--no-sanitize] [--list]
#   [--survivors FILE]
# COUNT mutants drawn by the seed (default every one); prints each file's score and last "caught N of M (P%)".
# The tree is copied into a work folder of its own (temporary, or DIR to keep and reuse): the working tree is
# never changed. Needs clang, cmake, ninja and python3, as the native build does.
set -euo pipefail
exec python3 "$(dirname "$0")/mutate.py" "$@"
