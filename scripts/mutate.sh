#!/usr/bin/env bash
# Mutation testing of the natively built pure code: single-point faults (operators, constants by one, returns,
# deleted calls and assignments), each built and run against the native tests that link its file. Not part of
# the test run. Prints each file's score, and last "caught N of M (P%)" over the mutants that compiled.
#
# Usage: scripts/mutate.sh [COUNT] [--seed N] [--files REGEX] [--sanitize] [--work DIR] [--revision REV]
#                          [--survivors FILE] [--list]
#   COUNT      mutants drawn by the seed from all of them (default 640: about 35 minutes on two cores; 0: all)
#   --files    only the sources whose path matches; --sanitize builds with ASan and UBSan (slower)
#   --work     keeps the copy of the tree and its build there and reuses them (default: a temporary folder)
#   --revision mutates a commit's files instead of the working tree's, e.g. to compare before and after
# The working tree itself is never changed. Needs python3, clang, cmake and ninja, as the native build does.
set -euo pipefail
exec python3 "$(dirname "$0")/mutate.py" "$@"
