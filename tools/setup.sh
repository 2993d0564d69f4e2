#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# they are missing, and only those this machine can use: Wine's 32-bit part
# (wine32:i386, and with it the i386 architecture) only where the kernel
# runs 32-bit code. Safe to run again: when all it can install is there, it
# does nothing.
#
# When wine32:i386 cannot be installed (a broken i386 index on the mirror,
# say), the set-up says why, goes on, and does not try again for a day (or
# until TQ_SETUP_RETRY=1): the Windows layers then run on the 64-bit build.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/machine.sh
. tools/machine.sh

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi

packages=(
  cmake ninja-build ccache g++ clang libclang-rt-14-dev clang-format clang-tidy
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xauth x11-apps imagemagick
  python3 python3-pefile locales osslsigncode openssl
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# One end-to-end test runs a launcher under a double-byte (Japanese) code
# page, which Wine takes from the Unix locale: the locale must exist.
ensure_japanese_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' && return 0
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo[@]}" locale-gen >/dev/null 2>&1 || echo "setup: could not generate ja_JP.UTF-8" >&2
}

# A few lines of why apt could not install something, from its log: the
# packages it could not resolve, with the first reason each, or its errors.
apt_reason() {
  local log=$1 lines count
  lines=$(grep -E '^ [^ ].* : |^E: ' "$log" || true)
  [ -n "$lines" ] || lines=$(tail -n 3 "$log")
  count=$(wc -l <<<"$lines")
  head -n 4 <<<"$lines" | sed 's/^ */  /'
  if [ "$count" -gt 4 ]; then
    echo "  ... and $((count - 4)) more"
  fi
}

# apt-get update, a few times: mirrors are caught mid-sync now and then.
# An index that still fails is reported in one line and the install is tried
# all the same; it may not need that index.
update_failure=
update_indexes() {
  local log attempt
  log=$(mktemp)
  for attempt in 1 2 3; do
    if "${sudo[@]}" apt-get update -qq >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    [ "$attempt" -lt 3 ] && sleep $((attempt * 5))
  done
  # "E: Failed to fetch URL  REASON [IP: ...]" made into "URL (REASON)".
  update_failure=$(grep -E '^(E|W): Failed to fetch' "$log" | head -n 1 |
    sed -E 's/^(E|W): Failed to fetch ([^ ]+) +(.*)$/\2 (\3)/; s/ *\[IP: [^]]*\]//')
  echo "setup: apt-get update failed 3 times${update_failure:+ on $update_failure};" \
    "trying the install anyway" >&2
  rm -f "$log"
}

wanted=("${packages[@]}")
wine32_note=$(tq_wine32_note)
tq_reason=
if tq_kernel_runs_32bit; then
  if installed wine32:i386; then
    rm -f "$wine32_note"
  elif [ -f "$wine32_note" ] && [ -z "${TQ_SETUP_RETRY:-}" ] &&
    [ -n "$(find "$wine32_note" -mmin -1440 2>/dev/null)" ]; then
    : # tried within the day; the test command's probe says why it is missing
  else
    wanted+=(wine32:i386)
  fi
fi

missing=()
for package in "${wanted[@]}"; do
  installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  ensure_japanese_locale
  exit 0
fi

echo "setup: installing ${missing[*]}"
required=()
for package in "${missing[@]}"; do
  [ "$package" = wine32:i386 ] || required+=("$package")
done
if [ ${#required[@]} -ne ${#missing[@]} ] &&
  ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
update_indexes

log=$(mktemp)
trap 'rm -f "$log"' EXIT
install() {
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "$@" >"$log" 2>&1
}
if [ ${#required[@]} -gt 0 ] && ! install "${required[@]}"; then
  echo "setup: could not install ${required[*]}:" >&2
  apt_reason "$log" >&2
  exit 1
fi
if [ ${#required[@]} -ne ${#missing[@]} ]; then
  if install wine32:i386; then
    rm -f "$wine32_note"
  else
    mkdir -p "$(dirname "$wine32_note")"
    reason=$(apt_reason "$log")
    {
      if [ -n "$update_failure" ]; then
        echo "apt could not resolve it after an index failed to download: $update_failure"
      else
        echo "apt could not install it: $(head -n 1 <<<"$reason" | sed 's/^ *//')"
      fi
      echo "$reason"
    } >"$wine32_note"
    echo "setup: could not install wine32:i386, so no 32-bit Windows program can run here:" >&2
    echo "$reason" >&2
    echo "setup: the Windows layers will run on the 64-bit build" >&2
  fi
fi
ensure_japanese_locale
echo "setup: done"
