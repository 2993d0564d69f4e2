#!/usr/bin/env bash
# Builds everything and runs every test layer:
#   1. host: the portable core's unit tests on Linux, with ASan and UBSan;
#   2. win32: the same core plus the Win32 layer as a Windows test program,
#      the resource checks and the end-to-end tests of TovaneQuillon.exe,
#      all under Wine in a throwaway prefix and a virtual X server;
#   3. win64: the same Windows programs built for 64 bits, under Wine;
#   4. fuzz: bounded libFuzzer runs of the registry helpers and discovery;
#   5. lint: clang-format over every C++ file, clang-tidy over the core.
# The machine decides how the Windows side runs (tools/machine.sh): where
# 32-bit Windows programs run, both builds run all of their tests; where
# they cannot (or TQ_WINDOWS_64BIT_ONLY=1), the 32-bit build gets only the
# checks that need no Wine and everything else runs on the 64-bit build.
# Ends with one line "N passed, N failed" over what ran.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh || { echo "test: the set-up failed (see above); nothing was tested"; exit 1; }
# shellcheck source=tools/machine.sh
. tools/machine.sh

passed=0
failed=0
status=0
start=$(date +%s)

fail() {
  echo "=== $1"
  failed=$((failed + 1))
  status=1
}

# layer PRESET [CTEST ARGUMENTS...]: builds the preset and runs its tests.
layer() {
  local preset=$1 log began
  shift
  began=$(date +%s)
  log=$(mktemp)
  echo "=== $preset: configure and build"
  if ! cmake --preset "$preset" >"$log" 2>&1; then
    cat "$log"
    fail "$preset: configuring failed"
    rm -f "$log"
    return
  fi
  if ! cmake --build --preset "$preset" -j2 >"$log" 2>&1; then
    cat "$log"
    fail "$preset: build failed"
    rm -f "$log"
    return
  fi
  echo "=== $preset: test${1:+ ($*)}"
  ctest --preset "$preset" "$@" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  local line total bad
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    fail "$preset: ctest ran no tests or did not finish"
  else
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    echo "=== $preset: $((total - bad)) passed, $bad failed in $(($(date +%s) - began)) s"
  fi
  rm -f "$log"
}

echo "=== machine: can it run 32-bit Windows programs under Wine?"
tq_probe_32bit_windows build/machine-probe
if [ "$TQ_RUNS_32BIT" = yes ]; then
  echo "=== machine: yes; the Windows layers run on both the 32-bit and the 64-bit build"
else
  echo "=== machine: $(tq_flavour_line "the Windows layers run on the 64-bit build only")"
fi

layer host
if [ "$TQ_RUNS_32BIT" = yes ]; then
  layer win32
  # The release test builds and signs the 32-bit launcher, whichever build
  # runs it: the win32 layer did.
  layer win64 -E '^release$'
else
  # The shipped executable's own checks need no Wine.
  layer win32 -LE wine
  layer win64
fi
layer fuzz

echo "=== lint: clang-format and clang-tidy"
if tools/lint.sh; then
  passed=$((passed + 1))
else
  fail "lint: failed"
fi

echo "test command took $(($(date +%s) - start)) s"
if [ "$TQ_RUNS_32BIT" != yes ]; then
  tq_flavour_line "the Windows layers ran on the 64-bit build only"
fi
echo "$passed passed, $failed failed"
exit $status
