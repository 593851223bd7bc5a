#!/bin/sh
# The program built from a second maker profile (tests/maker/second): its
# title, captions and questions, its login window, its nine contact lines,
# every address it opens, and its own back-of-PC picture in the viewer; and
# no word or path of the sample maker anywhere in the executable.
# The scenarios take every maker value from the build's generated header, so
# they are the sample profile's scenarios, run against this build.
# Usage: second_e2e.sh SOURCE_DIR
set -eu
src=$(cd "${1:?source folder}" && pwd)
b="$src/build/win64-second"
# The build's words go to a log, shown when it fails: ninja writes its errors
# to standard output.
log="$b.build.log"
mkdir -p "$b"
if ! { cmake -S "$src" -B "$b" -G Ninja --toolchain "$src/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DDOUMTEO_MAKER_DIR="$src/tests/maker/second" &&
  cmake --build "$b" --target doumteo e2e_tests recorder stay_running e2e_testwin -j2; } >"$log" 2>&1; then
  tail -40 "$log" >&2
  echo "maker.e2e: the build from the second profile failed (all of it in $log)" >&2
  exit 1
fi
grep -q 'kMakerHost\[\] = L"www.dalbit-works.example"' "$b/generated/build_config.h" ||
  { echo "maker.e2e: $b/generated/build_config.h does not hold the second profile's host" >&2; exit 1; }
python3 "$src/tests/maker/no_sample_words.py" "$src/makers/sample/maker.ini" "$src/tests/maker/second/maker.ini" \
  "$b/doumteo.exe"
exec "$src/tests/e2e/run-e2e.sh" "$b" "$b/tests/e2e/e2e_tests.exe" "$b/doumteo.exe" \
  "$b/tests/e2e/recorder.exe" "$b/tests/e2e/stay_running.exe" "$b/tests/e2e/e2e_testwin.exe" \
  --gtest_filter='MainWindow.*:WebShortcuts.*:WebLogin.*:DbCheck.*:ImageViewer.*'
