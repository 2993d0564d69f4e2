#!/usr/bin/env bash
# Style gates: the layers' include directions (tools/check_layers.py),
# clang-format over every C++ file, clang-tidy over the portable core and its
# doubles (the Win32 layer is checked by the cross compiler's -Wall -Wextra
# -Werror).
set -euo pipefail
cd "$(dirname "$0")/.."
python3 tools/check_layers.py
mapfile -t sources < <(git ls-files -co --exclude-standard '*.cpp' '*.h')
clang-format --dry-run -Werror "${sources[@]}"
[ -f build/host/compile_commands.json ] || cmake --preset host >/dev/null
mapfile -t core < <(git ls-files -co --exclude-standard 'common/*.cpp' 'launcher/*.cpp' \
  'runtime/*.cpp' 'registry/*.cpp' 'platform/memory/*.cpp')
if ! report=$(clang-tidy -p build/host --quiet "${core[@]}" 2>&1); then
  grep -v 'warnings generated' <<<"$report"
  exit 1
fi
echo "lint: clean"
