#!/usr/bin/env bash
# One Wine session for a whole test run: a prefix made once, one wineserver
# kept alive, one small Wine program running so Wine never shuts its desktop
# down between tests, and a virtual X server when there is no display.
#   wine-session.sh start HOME IDLE.exe [BITS]   set up HOME/prefix, write HOME/env
#   wine-session.sh stop HOME                     end everything started by start
# BITS 64: the programs are 64-bit, and every Wine command of the session goes
# to Wine's 64-bit loader itself. Debian's `wine` would take the 32-bit loader
# whenever it is installed, even where the kernel cannot run it.
set -euo pipefail
cmd=${1:?start or stop}
home=${2:?session folder}

stop() {
  if [ -f "$home/env" ]; then
    # In a subshell: the old session's DISPLAY must not leak into a new one.
    (
      # shellcheck source=/dev/null
      . "$home/env"
      wineserver -k >/dev/null 2>&1 || true
      wineserver -w >/dev/null 2>&1 || true
    )
    rm -f "$home/env"
  fi
  if [ -f "$home/xvfb.pid" ]; then
    kill "$(cat "$home/xvfb.pid")" >/dev/null 2>&1 || true
    rm -f "$home/xvfb.pid"
  fi
}

if [ "$cmd" = stop ]; then
  stop
  exit 0
fi

idle=${3:?idle program}
bits=${4:-32}
stop
mkdir -p "$home"
loader_path=
if [ "$bits" = 64 ]; then
  mkdir -p "$home/bin"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$home/bin/wine"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot.exe "$@"\n' >"$home/bin/wineboot"
  chmod +x "$home/bin/wine" "$home/bin/wineboot"
  loader_path="export PATH=\"$home/bin:\$PATH\"
export WINELOADER=/usr/lib/wine/wine64"
fi
display=${DISPLAY:-}
if [ -z "$display" ]; then
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$home/xvfb.log" 2>&1 </dev/null &
      echo $! >"$home/xvfb.pid"
      display=":$n"
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      break
    fi
  done
fi
[ -n "$display" ] || { echo "no free X display" >&2; exit 1; }

cat >"$home/env" <<ENV
export WINEPREFIX="$home/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
export DISPLAY="$display"
export LC_ALL=C.UTF-8
$loader_path
ENV
# shellcheck source=/dev/null
. "$home/env"

mkdir -p "$WINEPREFIX"
# A persistent wineserver for the whole run (it refuses when one runs already).
setsid wineserver -p >/dev/null 2>&1 </dev/null || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >"$home/wineboot.log" 2>&1 </dev/null ||
    { echo "wine-session: making the Wine prefix failed (see $home/wineboot.log)" >&2; exit 1; }
fi
# Drive T: is the tests' own, for programs that must run from a drive root.
mkdir -p "$home/drive_t"
ln -sfn "$home/drive_t" "$WINEPREFIX/dosdevices/t:"
# No window manager runs: tell Wine's X11 driver not to manage windows, which
# otherwise waits two seconds every time a top-level window is hidden.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
setsid wine "$idle" >/dev/null 2>&1 </dev/null &
# The first GUI program of a new session waits for Wine's services and
# desktop (about 10 s); let that wait happen here, not in a timed test.
timeout 60 wine "$idle" --warm-up >/dev/null 2>&1 </dev/null || true
echo "wine session ready: prefix $WINEPREFIX, display $DISPLAY"
