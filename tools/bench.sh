#!/usr/bin/env bash
# Runs the benchmark suite, prints its table and writes bench/results/<UTC time>.json:
#   1. micro-benchmarks of the portable core on the host (Google Benchmark,
#      in-memory registry);
#   2. start-up of TovaneQuillon.exe beside the floor program (bench/win32/
#      floor.cpp) under Wine, alternately, RUNS counted runs of each after one
#      warm-up run (default 10): medians, ratios, the launcher's overhead,
#      peak working set and handle count read from outside;
#   3. the executable: total size, code, resources, imported DLLs, and what
#      its code is made of (from the link map).
#
#   tools/bench.sh [RUNS]
#
# Build folders: build/bench (host) and build/win32, or TQ_BENCH_HOST_BUILD
# and TQ_BENCH_WIN32_BUILD. The Wine session is a throwaway one of its own.
# Start-up takes about 25 s per pair of runs: 10 runs take about 5 minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh

runs=${1:-10}
host_build=${TQ_BENCH_HOST_BUILD:-build/bench}
win_build=${TQ_BENCH_WIN32_BUILD:-build/win32}
results=${TQ_BENCH_RESULTS:-bench/results}
python=/usr/bin/python3  # Debian's, which has pefile
work=$(mktemp -d /tmp/tq-bench.XXXXXX)
cleanup() {
  tools/wine-session.sh stop "$work/wine" || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "== building"
cmake --preset bench -B "$host_build" >/dev/null
cmake --build "$host_build" -j2 --target tq_bench >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
cmake --preset win32 -B "$win_build" >/dev/null
cmake --build "$win_build" -j2 --target TovaneQuillon start_up_bench tq_idle \
  >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
launcher=$PWD/$win_build/TovaneQuillon.exe
floor=$PWD/$win_build/bench/win32/floor.exe
driver=$PWD/$win_build/bench/win32/start_up_bench.exe
java=$PWD/$win_build/tests/e2e/java.exe

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

echo "== micro-benchmarks of the portable core (host)"
"$host_build/bench/tq_bench" --benchmark_out="$work/micro.json" --benchmark_out_format=json

echo "== start-up under Wine: the launcher and the floor, $runs runs each after a warm-up"
tools/wine-session.sh start "$work/wine" "$PWD/$win_build/tq_idle.exe" >/dev/null
(
  # shellcheck source=/dev/null
  . "$work/wine/env"
  wine --version >"$work/wine-version" 2>&1 </dev/null
  # Wine's output goes to a file, never a pipe (see tools/wine-run.sh);
  # the progress is shown from there.
  : >"$work/startup.log"
  wine "$driver" "$launcher" "$floor" "$java" "$work/startup.csv" "$runs" \
    >"$work/startup.log" 2>&1 </dev/null &
  driver_pid=$!
  tail -n +1 --pid="$driver_pid" -f "$work/startup.log" || true
  wait "$driver_pid"
)

echo "== report"
mkdir -p "$results"
"$python" bench/report.py \
  --startup "$work/startup.csv" --micro "$work/micro.json" \
  --exe "$launcher" --map "$PWD/$win_build/TovaneQuillon.map" --floor-exe "$floor" \
  --wine-version "$(cat "$work/wine-version")" --load-before "$load_before" \
  --out "$results/$(date -u +%Y%m%d-%H%M%S).json"
