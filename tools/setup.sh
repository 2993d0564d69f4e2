#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# they are missing. Safe to run again: it does nothing when all is there.
set -euo pipefail

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format clang-tidy
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686 wine wine32:i386 wine64 xvfb xauth x11-apps imagemagick
  python3 python3-pefile locales
)

# One end-to-end test runs a launcher under a double-byte (Japanese) code
# page, which Wine takes from the Unix locale: the locale must exist.
ensure_japanese_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' && return 0
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo[@]}" locale-gen >/dev/null 2>&1 || echo "setup: could not generate ja_JP.UTF-8" >&2
}

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  ensure_japanese_locale
  exit 0
fi

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
ensure_japanese_locale
echo "setup: done"
