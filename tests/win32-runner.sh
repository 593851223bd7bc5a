#!/usr/bin/env bash
# Runs a suite of the 32-bit build, the one that ships. Where no 32-bit Wine
# can run (not installed, or the emulated one that scripts/setup makes on a
# machine without 32-bit code could not be made), the suite fails and says
# why: a suite that cannot run is no pass. DOUMTEO_SKIP_WIN32=1 skips it on
# request (exit 77), and it says so.
set -euo pipefail
source "$(dirname "$0")/../scripts/wine-env"
if [[ ${DOUMTEO_SKIP_WIN32:-} == 1 ]]; then
  echo "skipped on request (DOUMTEO_SKIP_WIN32=1): the 32-bit build's suite did not run" >&2
  exit 77
fi
if [[ -z $doumteo_wine32 ]]; then
  echo "win32: no 32-bit Wine runs here: $doumteo_wine32_why" >&2
  echo "win32: set DOUMTEO_SKIP_WIN32=1 to skip the 32-bit suites on purpose" >&2
  exit 1
fi
echo "win32: 32-bit programs run under the $doumteo_wine32 32-bit Wine loader"
exec "$@"
