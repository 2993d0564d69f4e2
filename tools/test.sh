#!/usr/bin/env bash
# Builds everything and runs every test layer:
#   1. host: the portable core's unit tests on Linux, with ASan and UBSan;
#   2. win32: the same core plus the Win32 layer as a Windows test program,
#      the resource checks and the end-to-end tests of TovaneQuillon.exe,
#      all under Wine, each test in a Wine session of its own;
#   3. win64: the same Windows programs built for 64 bits, under Wine;
#   4. fuzz: bounded libFuzzer runs of every fuzz target;
#   5. lint: clang-format over every C++ file, clang-tidy over the core.
# The machine decides how the Windows side runs (tools/machine.sh): where
# 32-bit Windows programs run, natively or under qemu where the kernel runs
# no 32-bit code (or with TQ_WINDOWS_32BIT_EMULATED=1), both builds run all
# of their tests; where they cannot (or TQ_WINDOWS_64BIT_ONLY=1), the 32-bit
# build gets only the checks that need no Wine and everything else runs on
# the 64-bit build.
#
# The builds come first, one after the other (they keep both cores busy);
# then the layers' tests run at once, since the end-to-end tests spend most
# of their time waiting on the launcher's own timers. Work that only
# computes (fuzzing, the reproducible builds, clang-tidy) runs at a lower
# priority, so that it takes the time the launchers leave and does not
# delay them. Each layer's output is shown whole when it ends, with its
# result and time. Ends with one line "N passed, N failed" over what ran.
#
#   TQ_TEST_LAYERS="host win64"   only these layers (host win32 win64 fuzz lint)
set -uo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/machine.sh
. tools/machine.sh
tq_set_up "$0" "$@" || { echo "test: the set-up failed (see above); nothing was tested"; exit 1; }

start=$(date +%s)
work=$(mktemp -d /tmp/tq-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
layers=${TQ_TEST_LAYERS:-host win32 win64 fuzz lint}
wanted() { [[ " $layers " == *" $1 "* ]]; }

# A compiler cache for rebuilds, where there is one (tools/setup.sh installs
# it); CMake takes these for every build it configures.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  # Paths below the clone are cached relative to it: another clone hits too.
  export CCACHE_BASEDIR=$PWD
  # Objects with debug information (host, fuzz) would be cached per folder,
  # since ccache hashes the folder they were compiled in; a hit from another
  # clone only names that clone's folder in its debug information.
  export CCACHE_NOHASHDIR=1
fi

echo "=== machine: can it run 32-bit Windows programs under Wine?"
tq_probe_32bit_windows build/machine-probe
if [ "$TQ_RUNS_32BIT" != no ]; then
  echo "=== machine: $(tq_flavour_line "the Windows layers run on both the 32-bit and the 64-bit build")"
  win32_tests=()
  win32_targets=()
  # The release test builds and signs the 32-bit launcher, whichever build
  # runs it: the win32 layer does.
  win64_tests=(-E '^release$')
  host_niceness=0
  if [ "$TQ_RUNS_32BIT" = emulated ]; then
    # Every 32-bit process costs about four times the processor under qemu:
    # half as many sessions at once, and the unit tests, which only compute,
    # niced, so that the emulated launchers keep their timers. The layer's
    # time stays bound by its reproducible and release builds.
    win32_tests=(-j 4)
    host_niceness=10
  fi
else
  echo "=== machine: $(tq_flavour_line "the Windows layers run on the 64-bit build only")"
  # The shipped executable's own checks need no Wine, nor most of the build.
  win32_tests=(-LE wine)
  win32_targets=(tq_checks_without_wine)
  win64_tests=()
  host_niceness=0
fi

failed_builds=0
# build PRESET [TARGET...]: configures and builds it (or only the targets);
# on failure shows the log.
build() {
  local preset=$1 began
  shift
  began=$(date +%s)
  if cmake --preset "$preset" >"$work/$preset.build" 2>&1 &&
    cmake --build --preset "$preset" -j2 ${1:+--target "$@"} >>"$work/$preset.build" 2>&1; then
    echo "=== $preset: built in $(($(date +%s) - began)) s"
    return 0
  fi
  cat "$work/$preset.build"
  echo "=== $preset: the build failed"
  failed_builds=$((failed_builds + 1))
  return 1
}

# run_layer NAME NICENESS COMMAND...: runs a layer's tests in the background;
# its output goes to $work/NAME.out, its time to $work/NAME.time.
run_layer() {
  local name=$1 niceness=$2
  shift 2
  (
    began=$(date +%s)
    nice -n "$niceness" "$@" >"$work/$name.out" 2>&1
    echo $? >"$work/$name.status"
    echo $(($(date +%s) - began)) >"$work/$name.time"
  ) &
  echo "$!" >"$work/$name.pid"
}

echo "=== building"
ready=()
for preset in host win64 win32 fuzz; do
  targets=()
  [ "$preset" = win32 ] && targets=("${win32_targets[@]+"${win32_targets[@]}"}")
  wanted "$preset" && build "$preset" "${targets[@]+"${targets[@]}"}" && ready+=("$preset")
done

echo "=== testing: $layers"
tests_began=$(date +%s)
for preset in "${ready[@]}"; do
  case $preset in
    host) run_layer host "$host_niceness" ctest --preset host ;;
    win64) run_layer win64 0 ctest --preset win64 "${win64_tests[@]}" ;;
    win32) run_layer win32 0 ctest --preset win32 "${win32_tests[@]}" ;;
    fuzz) run_layer fuzz 10 ctest --preset fuzz ;;
  esac
done
if wanted lint; then
  run_layer lint 10 tools/lint.sh
fi

passed=0
failed=$failed_builds
# Reports each layer as it ends, in the order they end.
pending=()
for name in host win64 win32 fuzz lint; do
  [ -f "$work/$name.pid" ] && pending+=("$name")
done
while [ ${#pending[@]} -gt 0 ]; do
  still=()
  for name in "${pending[@]}"; do
    if [ ! -f "$work/$name.time" ]; then
      still+=("$name")
      continue
    fi
    wait "$(cat "$work/$name.pid")" 2>/dev/null
    echo "=== $name: test"
    cat "$work/$name.out"
    status=$(cat "$work/$name.status")
    seconds=$(cat "$work/$name.time")
    if [ "$name" = lint ]; then
      if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
        echo "=== lint: 1 passed, 0 failed in $seconds s"
      else
        failed=$((failed + 1))
        echo "=== lint: failed in $seconds s"
      fi
      continue
    fi
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$work/$name.out" |
      tail -n 1)
    if [ -z "$line" ]; then
      failed=$((failed + 1))
      echo "=== $name: ctest ran no tests or did not finish"
      continue
    fi
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    [ "$status" -eq 0 ] || [ "$bad" -gt 0 ] || failed=$((failed + 1))
    echo "=== $name: $((total - bad)) passed, $bad failed in $seconds s"
  done
  pending=("${still[@]+"${still[@]}"}")
  [ ${#pending[@]} -gt 0 ] && sleep 1
done

echo "tests took $(($(date +%s) - tests_began)) s; the test command took $(($(date +%s) - start)) s"
case $TQ_RUNS_32BIT in
  emulated) tq_flavour_line "the 32-bit build's Windows layers ran emulated" ;;
  no) tq_flavour_line "the Windows layers ran on the 64-bit build only" ;;
esac
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
