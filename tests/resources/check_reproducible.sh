#!/usr/bin/env bash
# Builds the shipped TovaneQuillon.exe twice and compares the bytes: once from
# the source folder, once, later, from a copy of it at another path, each in
# a fresh build folder. Two builds of one commit must give the same file, so
# that anyone can check that an executable was built from a given commit.
#   check_reproducible.sh SOURCE_FOLDER TOOLCHAIN_FILE
set -euo pipefail
source=$1
toolchain=$2
work=$(mktemp -d /tmp/tq-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT

build() {
  local from=$1 into=$2
  cmake -S "$from" -B "$into" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DTQ_THREAD_MODEL=win32 -DTQ_PRODUCT_ONLY=ON -DCMAKE_BUILD_TYPE=MinSizeRel \
    >"$into.log" 2>&1 &&
    cmake --build "$into" -j2 --target TovaneQuillon >>"$into.log" 2>&1 ||
    { tail -n 20 "$into.log"; echo "the build in $into failed"; exit 1; }
}

mkdir -p "$work/copy/of the source"
copy="$work/copy/of the source"
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$source" && git ls-files -z -co --exclude-standard | tar --null -T - -cf -) |
    tar -xf - -C "$copy"
else
  (cd "$source" && tar --exclude=./build --exclude=./dist -cf - .) | tar -xf - -C "$copy"
fi

build "$source" "$work/first"
sleep 2  # a different second, for anything that would write the time
build "$copy" "$work/second"
first="$work/first/TovaneQuillon.exe"
second="$work/second/TovaneQuillon.exe"
if cmp -s "$first" "$second"; then
  echo "two builds, from two folders at two times, are byte for byte the same:" \
    "$(stat -c %s "$first") bytes, sha256 $(sha256sum "$first" | cut -d' ' -f1)"
  exit 0
fi
echo "FAILED: the two builds differ ($(stat -c %s "$first") and $(stat -c %s "$second") bytes);" \
  "first differences (offset, octal bytes):"
cmp -l "$first" "$second" | head -n 10
exit 1
