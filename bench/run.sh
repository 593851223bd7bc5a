#!/usr/bin/env bash
# Builds what the benchmarks need and runs them, printing every figure with
# its ratio against the reference measured in the same run:
#   start-up and peak working set of doumteo.exe against a one-window floor,
#   start-up with 5,000 backup files in DBS against none,
#   RegLogRead restoring 5,000 settings against regedit /s,
#   the support page against the restore points dialog (5,000 backups, 30
#   restore points),
#   the size of doumteo.exe (win64, win32),
#   the decoders against base64 -d (when bench/decode_vs_base64.sh exists).
# usage: bench/run.sh [RUNS]   (runs per program, default 21)
# Raw output goes to build/bench-results/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
runs="${1:-21}"
jobs=2
out="$root/build/bench-results"
mkdir -p "$out"

echo "== building"
[[ -f build/win64/build.ninja ]] || cmake --preset win64 >/dev/null
# The win64 preset builds the benchmarks beside the program.
cmake --build build/win64 --target doumteo bench_floor bench_floor_imports bench_floor_children bench_steps \
  bench_probe bench_restore bench_dialogs -j"$jobs" >/dev/null
# The fixtures' backup files come from the tests' encoder, built natively.
[[ -f build/native/build.ninja ]] || cmake --preset native >/dev/null
cmake --build build/native --target make_backup -j"$jobs" >/dev/null
[[ -f build/win32/build.ninja ]] || cmake --preset win32 >/dev/null
cmake --build build/win32 --target doumteo -j"$jobs" > "$out/win32-build.txt" 2>&1 ||
  echo "win32 build failed: see $out/win32-build.txt" >&2

# A prefix of its own, so that its wineserver can be kept alive and stopped
# without touching anyone else's.
export WINEPREFIX="$root/build/wineprefix-bench"
source scripts/wine-env
doumteo_ensure_prefix
wineserver -k 2>/dev/null || true
wineserver -w

folder="$WINEPREFIX/drive_c/DoumteoBench"
win='C:\DoumteoBench'
python3 bench/make_fixtures.py "$folder" "$win" DoumteoBench "$root/build/native/tests/make_backup"
mkdir -p "$folder/floor" "$folder/bin"
for f in bench_floor bench_floor_imports bench_floor_children; do
  cp "build/win64/bench/$f.exe" "$folder/floor/"
done
for f in none dbs5000; do
  cp build/win64/doumteo.exe build/win64/bench/bench_steps.exe "$folder/$f/"
  rm -f "$folder/$f/steps.log"
done
cp build/win64/bench/bench_probe.exe build/win64/bench/bench_restore.exe build/win64/bench/bench_dialogs.exe \
  "$folder/bin/"
wine reg import "$folder/profile.reg" >/dev/null 2>&1
wineserver -w  # so that the persistent one below can start

# Higher priority where allowed: other work on the machine then disturbs the
# runs less (the same for every program measured).
prio=()
if nice -n -20 true 2>/dev/null; then prio=(nice -n -20); fi

echo "== start-up and memory ($runs runs each, alternating)"
"${prio[@]}" xvfb-run -a -s "-screen 0 1600x1200x24 -nolisten tcp" bash -c '
  set -e
  # One wineserver for every run: its own start-up is then the same for all.
  wineserver -p
  wine "$1\bin\bench_probe.exe" --runs "$2" --ratio doumteo/floor --ratio dbs5000/doumteo \
    "floor=$1\floor\bench_floor.exe" "doumteo=$1\none\doumteo.exe" "dbs5000=$1\dbs5000\doumteo.exe" \
    | tr -d "\r" > "$3/startup.txt" || echo "probe: some runs failed" >&2
  # Where the time goes: the floor with the program'"'"'s DLLs and manifest,
  # then with its child windows too, and the program'"'"'s start-up with each
  # step timed.
  wine "$1\bin\bench_probe.exe" --runs "$2" --ratio floor_imports/floor --ratio floor_children/floor \
    --ratio steps/floor \
    "floor=$1\floor\bench_floor.exe" "floor_imports=$1\floor\bench_floor_imports.exe" \
    "floor_children=$1\floor\bench_floor_children.exe" \
    "steps=$1\none\bench_steps.exe" "steps5000=$1\dbs5000\bench_steps.exe" \
    | tr -d "\r" > "$3/breakdown.txt" || echo "probe: some breakdown runs failed" >&2
  wine "$1\bin\bench_restore.exe" --runs "$2" DoumteoBench "$1\restore.mdb" "$1\restore.reg" "$1\empty.reg" \
    | tr -d "\r" > "$3/restore.txt" || echo "restore: failed (see $3/restore.txt)" >&2
  wine "$1\bin\bench_dialogs.exe" --runs "$2" "$1\dbs5000\doumteo.exe" \
    | tr -d "\r" > "$3/dialogs.txt" || echo "dialogs: failed (see $3/dialogs.txt)" >&2
  wineserver -k || true
' _ "$win" "$runs" "$out"
grep -E '^(median|ratio|error)' "$out/startup.txt"
echo "== where start-up goes"
grep -E '^(median|ratio|error)' "$out/breakdown.txt"
for f in none dbs5000; do
  tr -d '\r' < "$folder/$f/steps.log" > "$out/steps-$f.txt" 2>/dev/null || true
  sed "s/^/$f: /" "$out/steps-$f.txt"
done
echo "== restore: 5,000 settings in 50 sections ($runs runs each, alternating)"
grep -Ev '^run ' "$out/restore.txt"

echo "== support page against restore points dialog (5,000 backups, 30 restore points, $runs runs each)"
grep -Ev '^run ' "$out/dialogs.txt"

echo "== size of doumteo.exe"
# Stripped, as shipped.
x86_64-w64-mingw32-strip -o "$out/doumteo64.exe" build/win64/doumteo.exe
size64=$(stat -c %s "$out/doumteo64.exe")
size32=0
if i686-w64-mingw32-strip -o "$out/doumteo32.exe" build/win32/doumteo.exe 2>/dev/null; then
  size32=$(stat -c %s "$out/doumteo32.exe")
fi
echo "size win64 bytes=$size64"
echo "size win32 bytes=$size32"
x86_64-w64-mingw32-objdump -p build/win64/doumteo.exe | awk '/DLL Name/ {printf "%s%s", sep, $3; sep=" "} END {print ""}' |
  sed 's/^/imports win64: /'

decoder=""
if [[ -x bench/decode_vs_base64.sh ]]; then
  echo "== decoders against base64 -d"
  bench/decode_vs_base64.sh | tee "$out/decode.txt"
  decoder=1
fi

echo
echo "== summary (ratios against the reference of the same run)"
python3 bench/summarize.py "$out" "$out/steps-none.txt" "$out/steps-dbs5000.txt" "$size64" "$size32"
if [[ -n "$decoder" ]]; then echo "decoders: see above ($out/decode.txt)"; fi
echo "raw figures: $out"
