#!/usr/bin/env bash
# Times the radix-64 layer of a 5,000-setting backup line in Radix64Decode
# (Google Benchmark, decode_bench) and the same bytes through `base64 -d`,
# and prints both throughputs and their ratio.
#   bench/decode_vs_base64.sh [build folder, default build/bench-native]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench-native}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDOUMTEO_BENCH=ON -DDOUMTEO_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target decode_bench -j2 >/dev/null
bench=$build/bench/decode_bench

"$bench" --write_line="$work/line"
# The line has no pads, so copies of it are one base64 stream: enough bytes
# that the start of the process does not count.
for _ in $(seq 200); do cat "$work/line"; done >"$work/lines"

"$bench" --benchmark_format=json --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  >"$work/bench.json"

python3 - "$work" <<'PY'
import json, os, resource, subprocess, sys, time
work = sys.argv[1]
data = os.path.join(work, "lines")
size = os.path.getsize(data)
# Processor time as well as wall time: on a busy machine only the former is
# comparable with the benchmark's figures, which are per processor second.
best_cpu = best_wall = None
for _ in range(7):
    with open(data, "rb") as f:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(["base64", "-d"], stdin=f, stdout=subprocess.DEVNULL, check=True)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    best_cpu = cpu if best_cpu is None else min(best_cpu, cpu)
    best_wall = wall if best_wall is None else min(best_wall, wall)

results = {b["run_name"]: b for b in json.load(open(os.path.join(work, "bench.json")))["benchmarks"]
           if b.get("aggregate_name") == "median"}
line = os.path.getsize(os.path.join(work, "line"))
print(f"line: {line} bytes; base64 -d input: {size} bytes ({size // line} copies)")
print(f"{'':22s}  MB/s (cpu)  MB/s (wall)  per line (cpu / wall)")
b64_cpu, b64_wall = size / best_cpu / 1e6, size / best_wall / 1e6
print(f"{'base64 -d':22s}  {b64_cpu:10.1f}  {b64_wall:11.1f}  {best_cpu / (size // line) * 1e6:.0f} / "
      f"{best_wall / (size // line) * 1e6:.0f} us")
scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
for name in ("BM_Radix64Decode", "BM_HexTextDecode", "BM_BothLayers"):
    b = results[name]
    cpu_s, wall_s = b["cpu_time"] * scale[b["time_unit"]], b["real_time"] * scale[b["time_unit"]]
    processed = b["bytes_per_second"] * cpu_s
    print(f"{name:22s}  {processed / cpu_s / 1e6:10.1f}  {processed / wall_s / 1e6:11.1f}  "
          f"{cpu_s * 1e6:.0f} / {wall_s * 1e6:.0f} us")
r = results["BM_Radix64Decode"]
r_cpu = r["bytes_per_second"] / 1e6
print(f"Radix64Decode / base64 -d throughput (cpu): {r_cpu / b64_cpu:.2f}")
PY
