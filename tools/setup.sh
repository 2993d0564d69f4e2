#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# they are missing. Wine's 32-bit part (wine32:i386, and with it the i386
# architecture) everywhere; where the kernel runs no 32-bit code (or with
# TQ_WINDOWS_32BIT_EMULATED=1), also qemu's i386 emulator, which the
# commands that run Windows programs register for themselves
# (tools/machine.sh): qemu 10 from bookworm-backports, whose 32-bit Wine
# process starts in a third of a second, else Debian 12's qemu 7.2, which
# takes over a minute. A machine whose kernel runs 32-bit code gets no qemu.
# Safe to run again: when all it can install is there, it does nothing.
#
# When wine32:i386 or qemu cannot be installed (a broken i386 index on the
# mirror, an unreachable backports archive), the set-up says why, goes on,
# and does not try again for a day (or until TQ_SETUP_RETRY=1): the Windows
# layers then run on the 64-bit build, or on Debian's slow qemu.
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

# A note left within the day by a failed attempt: NOTE. Not retried then.
tried_today() {
  [ -f "$1" ] && [ -z "${TQ_SETUP_RETRY:-}" ] && [ -n "$(find "$1" -mmin -1440 2>/dev/null)" ]
}

# qemu 10 or later: the i386 emulator whose Wine starts fast (see the top).
fast_qemu_installed() {
  dpkg-query -W -f='${Status} ${Version}\n' qemu-user 2>/dev/null |
    grep -Eq '^install ok installed 1:([89]|[1-9][0-9])\.'
}

wanted=("${packages[@]}")
wine32_note=$(tq_wine32_note)
qemu_note=$(tq_qemu_note)
if installed wine32:i386; then
  rm -f "$wine32_note"
elif ! tried_today "$wine32_note"; then
  wanted+=(wine32:i386)
fi
tq_reason=
if tq_forced_emulated || ! tq_kernel_runs_32bit; then
  if fast_qemu_installed; then
    rm -f "$qemu_note"
  elif ! tried_today "$qemu_note"; then
    wanted+=(qemu-user)
  fi
fi

missing=()
for package in "${wanted[@]}"; do
  # qemu-user is wanted only when the installed one (if any) is too old.
  [ "$package" = qemu-user ] || ! installed "$package" && missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  ensure_japanese_locale
  exit 0
fi

echo "setup: installing ${missing[*]}"
required=()
for package in "${missing[@]}"; do
  case $package in
    wine32:i386)
      dpkg --print-foreign-architectures | grep -qx i386 ||
        "${sudo[@]}" dpkg --add-architecture i386
      ;;
    qemu-user)
      if grep -qx 'VERSION_CODENAME=bookworm' /etc/os-release 2>/dev/null &&
        ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        echo 'deb http://deb.debian.org/debian bookworm-backports main' |
          "${sudo[@]}" tee /etc/apt/sources.list.d/bookworm-backports.list >/dev/null
      fi
      ;;
    *) required+=("$package") ;;
  esac
done
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
if [[ " ${missing[*]} " == *" wine32:i386 "* ]]; then
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
if [[ " ${missing[*]} " == *" qemu-user "* ]]; then
  if install -t bookworm-backports qemu-user; then
    rm -f "$qemu_note"
  else
    mkdir -p "$(dirname "$qemu_note")"
    reason=$(apt_reason "$log")
    echo "qemu 10 could not be installed from bookworm-backports: $(head -n 1 <<<"$reason" | sed 's/^ *//')" \
      >"$qemu_note"
    echo "setup: $(cat "$qemu_note"); Debian 12's qemu 7.2 instead, whose" \
      "32-bit Windows processes take over a minute each to start" >&2
    if ! installed qemu-user-static && ! install qemu-user-static; then
      echo "setup: could not install qemu-user-static either, so no 32-bit Windows program can run here:" >&2
      apt_reason "$log" >&2
      echo "setup: the Windows layers will run on the 64-bit build" >&2
    fi
  fi
fi
ensure_japanese_locale
echo "setup: done"
