#!/usr/bin/env bash
# Builds the launcher we ship from this commit, checks it, and puts it in
# dist/:
#   tools/release.sh
# writes dist/TovaneQuillon-<file version>/TovaneQuillon.exe with a SHA256SUMS
# file beside it, and prints the checksum. It works from a clean checkout
# only: what it writes must be what the commit builds, and anyone building
# the same commit gets the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
python=/usr/bin/python3  # Debian's, which has pefile

fail() {
  echo "release: $*" >&2
  exit 1
}

changes=$(git status --porcelain --untracked-files=normal)
if [ -n "$changes" ]; then
  fail "the work tree has uncommitted changes ($(wc -l <<<"$changes") paths, first:" \
    "$(head -n 1 <<<"$changes" | cut -c4-)); commit or stash them first"
fi
commit=$(git rev-parse HEAD)

tools/setup.sh || fail "the set-up failed (above)"

work=$(mktemp -d /tmp/tq-release.XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "== building TovaneQuillon.exe at ${commit:0:12}"
build=$work/build
if ! { cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" \
  -DTQ_THREAD_MODEL=win32 -DTQ_PRODUCT_ONLY=ON -DCMAKE_BUILD_TYPE=MinSizeRel >"$work/build.log" 2>&1 &&
  cmake --build "$build" -j2 --target TovaneQuillon >>"$work/build.log" 2>&1; }; then
  tail -n 30 "$work/build.log" >&2
  fail "the build failed (above: its last lines)"
fi
exe=$build/TovaneQuillon.exe

echo "== checking it"
check() {
  local what=$1
  shift
  if ! "$@" >"$work/check.log" 2>&1; then
    cat "$work/check.log" >&2
    fail "the check of $what failed (above)"
  fi
  echo "  $what: $(tail -n 1 "$work/check.log")"
}
check "resources and imports" "$python" tests/resources/check_exe.py "$exe" resources
check "Windows XP" "$python" tests/resources/check_xp.py --cc i686-w64-mingw32-gcc-win32 \
  --nm i686-w64-mingw32-nm --windows 5.1 "$exe"
check "budgets" "$python" bench/check_link_map.py "$build/TovaneQuillon.map"

version=$("$python" - "$exe" <<'PY'
import sys
import pefile
fixed = pefile.PE(sys.argv[1]).VS_FIXEDFILEINFO[0]
print("%d.%d.%d.%d" % (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                       fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF))
PY
)
sum=$(sha256sum "$exe" | cut -d' ' -f1)
dest=dist/TovaneQuillon-$version
if [ -e "$dest/TovaneQuillon.exe" ]; then
  if cmp -s "$exe" "$dest/TovaneQuillon.exe"; then
    echo "== $dest/TovaneQuillon.exe is there already, byte for byte this build"
    echo "sha256 $sum  $dest/TovaneQuillon.exe"
    exit 0
  fi
  fail "$dest holds another TovaneQuillon.exe of version $version; give this build a new" \
    "version, or move that folder away first"
fi

# Written in a folder of its own and renamed into place: dist/ never holds
# half a release.
mkdir -p dist
stage=$(mktemp -d "dist/.TovaneQuillon-$version.XXXXXX")
cp "$exe" "$stage/TovaneQuillon.exe"
(cd "$stage" && sha256sum TovaneQuillon.exe >SHA256SUMS)
chmod 755 "$stage"
rm -rf "$dest"
mv -T "$stage" "$dest"
echo "== released $dest (commit ${commit:0:12}, $(stat -c %s "$dest/TovaneQuillon.exe") bytes)"
echo "sha256 $sum  $dest/TovaneQuillon.exe"
