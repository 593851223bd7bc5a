#!/usr/bin/env bash
# Checks the import tables and headers of both Release executables: the
# 32-bit one that scripts/release packs (maker.release builds it first) and
# a 64-bit one built here the same way.
# Usage: check_release.sh SOURCE_DIR
set -euo pipefail
src=$(cd "${1:?source folder}" && pwd)
here="$src/tests/pe"
build64="$src/build/release-win64"
cmake -S "$src" -B "$build64" -G Ninja --toolchain "$src/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DDOUMTEO_TESTS=OFF >/dev/null
cmake --build "$build64" --target doumteo -j2 >/dev/null
rc=0
python3 "$here/check_pe.py" x86_64-w64-mingw32-objdump "$build64/doumteo.exe" "$here/imports.txt" || rc=1
python3 "$here/check_pe.py" i686-w64-mingw32-objdump "$src/build/release-win32/package/doumteo.exe" \
  "$here/imports.txt" || rc=1
exit $rc
