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
#
# It measures the 32-bit launcher that ships. On a machine that cannot run
# 32-bit programs (tools/machine.sh), or with TQ_WINDOWS_64BIT_ONLY=1, it
# measures the 64-bit build (build/win64, or TQ_BENCH_WIN64_BUILD) and says
# so, in its table and its results. It never times a 32-bit launcher under
# qemu (where the kernel runs no 32-bit code): the figures would be the
# emulator's. It measures the 64-bit build there too, and says why.
set -euo pipefail
cd "$(dirname "$0")/.."
step="setting up"
trap 'echo "bench: failed while $step (status $?)" >&2' ERR
tools/setup.sh
# shellcheck source=tools/machine.sh
. tools/machine.sh

runs=${1:-10}
host_build=${TQ_BENCH_HOST_BUILD:-build/bench}
step="finding out whether this machine runs 32-bit Windows programs"
tq_probe_32bit_windows build/machine-probe
if [ "$TQ_RUNS_32BIT" = native ]; then
  flavour=win32 bits=32
  win_build=${TQ_BENCH_WIN32_BUILD:-build/win32}
else
  flavour=win64 bits=64
  win_build=${TQ_BENCH_WIN64_BUILD:-build/win64}
  if [ "$TQ_RUNS_32BIT" = emulated ]; then
    echo "== $(tq_flavour_line "the benchmarks do not time the 32-bit launcher under emulation, whose figures would be qemu's; they measure the 64-bit build")"
  else
    echo "== $(tq_flavour_line "the benchmarks measure the 64-bit build")"
  fi
fi
results=${TQ_BENCH_RESULTS:-bench/results}
python=/usr/bin/python3  # Debian's, which has pefile
work=$(mktemp -d /tmp/tq-bench.XXXXXX)
cleanup() {
  tools/wine-session.sh stop "$work/wine" || true
  rm -rf "$work"
}
trap cleanup EXIT

step="building"
echo "== building"
built() {
  "$@" >"$work/build.log" 2>&1 && return 0
  tail -n 30 "$work/build.log" >&2
  echo "bench: the build failed: $* (above: its last lines)" >&2
  exit 1
}
built cmake --preset bench -B "$host_build"
built cmake --build "$host_build" -j2 --target tq_bench
built cmake --preset "$flavour" -B "$win_build"
built cmake --build "$win_build" -j2 --target TovaneQuillon start_up_bench tq_idle
launcher=$PWD/$win_build/product/TovaneQuillon.exe
floor=$PWD/$win_build/bench/win32/floor.exe
driver=$PWD/$win_build/bench/win32/start_up_bench.exe
java=$PWD/$win_build/tests/e2e/java.exe

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

step="running the micro-benchmarks"
echo "== micro-benchmarks of the portable core (host)"
"$host_build/bench/tq_bench" --benchmark_out="$work/micro.json" --benchmark_out_format=json

step="measuring the start-up under Wine"
echo "== start-up under Wine ($flavour): the launcher and the floor, $runs runs each after a warm-up"
tools/wine-session.sh start "$work/wine" "$PWD/$win_build/tq_idle.exe" "$bits" >/dev/null
tools/wine-session.sh open "$work/wine" bench
(
  # shellcheck source=/dev/null
  . "$work/wine/sessions/bench/env"
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

step="writing the report"
echo "== report"
mkdir -p "$results"
"$python" bench/report.py \
  --startup "$work/startup.csv" --micro "$work/micro.json" \
  --exe "$launcher" --map "$PWD/$win_build/product/TovaneQuillon.map" --floor-exe "$floor" \
  --wine-version "$(cat "$work/wine-version")" --load-before "$load_before" --flavour "$flavour" \
  --out "$results/$(date -u +%Y%m%d-%H%M%S).json"
