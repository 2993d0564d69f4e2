#!/usr/bin/env bash
# Builds everything and runs every test layer:
#   1. host: the portable core's unit tests on Linux, with ASan and UBSan;
#   2. win32: the same core plus the Win32 layer as a Windows test program,
#      the resource checks and the end-to-end tests of TovaneQuillon.exe,
#      all under Wine in a throwaway prefix and a virtual X server;
#   3. fuzz: bounded libFuzzer runs of the registry helpers and discovery;
#   4. lint: clang-format over every C++ file, clang-tidy over the core.
# Ends with one line "N passed, N failed" over all layers.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh || exit 1

passed=0
failed=0
status=0
start=$(date +%s)

layer() {
  local preset=$1 log
  log=$(mktemp)
  echo "=== $preset: configure and build"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j2 >"$log" 2>&1; }; then
    cat "$log"
    echo "=== $preset: build failed"
    failed=$((failed + 1))
    status=1
    rm -f "$log"
    return
  fi
  echo "=== $preset: test"
  ctest --preset "$preset" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  local line total bad
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    status=1
  else
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  fi
  rm -f "$log"
}

layer host
layer win32
layer fuzz

echo "=== lint: clang-format and clang-tidy"
if tools/lint.sh; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  status=1
fi

echo "test command took $(( $(date +%s) - start )) s"
echo "$passed passed, $failed failed"
exit $status
