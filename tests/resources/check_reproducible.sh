#!/usr/bin/env bash
# Builds the shipped TovaneQuillon.exe twice and compares the bytes: once from
# the source folder, once, later, from a copy of it at another path, each in
# a fresh build folder. Two builds of one commit must give the same file, so
# that anyone can check that an executable was built from a given commit.
#   check_reproducible.sh SOURCE_FOLDER i686|x86_64
set -euo pipefail
source=$1
processor=$2
work=$(mktemp -d /tmp/tq-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The tree as it stands, committed or not, at another path (with a blank).
copy="$work/copy/of the source"
mkdir -p "$copy"
(cd "$source" && git ls-files -z -co --exclude-standard | tar --null -T - -cf -) |
  tar -xf - -C "$copy"

"$source/tools/build-launcher.sh" "$work/first" "$processor"
sleep 2  # a different second, for anything that would write the time
"$copy/tools/build-launcher.sh" "$work/second" "$processor"
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
