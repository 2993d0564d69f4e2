#!/usr/bin/env bash
# Builds the shipped TovaneQuillon.exe alone, as the release does, from the
# source tree this script belongs to, into a build folder of its own:
#   tools/build-launcher.sh BUILD_FOLDER [i686|x86_64]
# i686, the launcher we ship, unless another processor is named. The log is
# BUILD_FOLDER.log; a failed build shows its last lines.
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?build folder}
processor=${2:-i686}
log=$build.log
# Every file compiled anew: a compiler cache would hand back objects of an
# earlier build, and hide a build that does not repeat itself.
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
if cmake -S "$source" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-$processor.cmake" -DTQ_THREAD_MODEL=win32 \
  -DTQ_PRODUCT_ONLY=ON -DCMAKE_BUILD_TYPE=MinSizeRel >"$log" 2>&1 &&
  cmake --build "$build" -j2 --target TovaneQuillon >>"$log" 2>&1; then
  exit 0
fi
tail -n 30 "$log" >&2
echo "build-launcher: the build in $build failed (above: its last lines)" >&2
exit 1
