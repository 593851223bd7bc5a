#!/usr/bin/env bash
# Runs a suite of the 32-bit build, or reports it skipped (exit 77) on a
# machine whose kernel runs no 32-bit program: there Wine's 32-bit loader
# cannot start, and the suite could neither pass nor fail honestly.
set -euo pipefail
source "$(dirname "$0")/../scripts/wine-env"
if ! doumteo_runs_32bit; then
  echo "skipped: this machine runs no 32-bit program (the kernel refuses /usr/lib/wine/wine:" \
    "$(/usr/lib/wine/wine --version 2>&1 | head -1))" >&2
  exit 77
fi
exec "$@"
