#!/usr/bin/env bash
# Wine for a test run: one prefix made per build folder, and a session of its
# own for every test, so that tests run side by side and none sees another's
# windows, registry, files or drive T:.
#   wine-session.sh start HOME IDLE.exe [BITS]  make the prefix HOME/prefix
#   wine-session.sh open HOME NAME              a session: HOME/sessions/NAME/env
#   wine-session.sh close HOME NAME             end that session, remove its copy
#   wine-session.sh stop HOME                   end every session left
# A session is a copy of the prefix (the system folder hard-linked, which
# nothing writes to; the registry and the users' folders copied), with its own
# wineserver, its own virtual X server when there is no display, and one small
# Wine program kept running so Wine never shuts its desktop down.
# BITS 64: the programs are 64-bit, and every Wine command goes to Wine's
# 64-bit loader itself. Debian's `wine` would take the 32-bit loader whenever
# it is installed, even where the kernel cannot run it.
# BITS 32 where the kernel runs no 32-bit code: the 32-bit programs run under
# qemu, whose binfmt_misc handler `start` registers when it is missing
# (tools/machine.sh).
# Every program of a session finds in TQ_WINDOWS_FLAVOUR how it runs:
# "native", "emulated" (32-bit under qemu) or "64-bit".
set -euo pipefail
# shellcheck source=tools/machine.sh
. "$(dirname "$0")/machine.sh"
cmd=${1:?start, open, close or stop}
home=${2:?session folder}
home=$(cd "$home" 2>/dev/null && pwd || echo "$home")

# The environment every Wine command of a session runs in: ENV_FILE PREFIX DISPLAY
write_env() {
  local bits
  bits=$(cat "$home/bits")
  cat >"$1" <<ENV
export WINEPREFIX="$2"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
export DISPLAY="$3"
export LC_ALL=C.UTF-8
export TQ_WINDOWS_FLAVOUR=$(cat "$home/flavour")
ENV
  if [ "$bits" = 64 ]; then
    cat >>"$1" <<ENV
export PATH="$home/bin:\$PATH"
export WINELOADER=/usr/lib/wine/wine64
ENV
  fi
}

# A virtual X server of its own, on a display it picks itself (no two
# sessions can take the same one): FOLDER; prints the display.
start_x() {
  local folder=$1 number
  if [ -n "${DISPLAY:-}" ]; then
    echo "$DISPLAY"
    return
  fi
  rm -f "$folder/display"
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$folder/display" \
    >"$folder/xvfb.log" 2>&1 </dev/null &
  echo $! >"$folder/xvfb.pid"
  for _ in $(seq 100); do
    number=$(cat "$folder/display" 2>/dev/null || true)
    [ -n "$number" ] && break
    sleep 0.05
  done
  [ -n "$number" ] || { echo "wine-session: the virtual X server did not start" >&2; exit 1; }
  echo ":$number"
}

stop_x() {
  if [ -f "$1/xvfb.pid" ]; then
    kill "$(cat "$1/xvfb.pid")" >/dev/null 2>&1 || true
    rm -f "$1/xvfb.pid"
  fi
}

# Ends the wineserver of the session whose env file is given, and waits
# until it has written its registry and gone.
stop_wine() {
  [ -f "$1" ] || return 0
  (
    # shellcheck source=/dev/null
    . "$1"
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  )
}

close_session() {
  local session=$home/sessions/$1
  [ -d "$session" ] || return 0
  stop_wine "$session/env"
  stop_x "$session"
  rm -rf "$session"
}

case $cmd in
  stop)
    if [ -d "$home/sessions" ]; then
      for session in "$home/sessions"/*; do
        [ -d "$session" ] && close_session "$(basename "$session")"
      done
    fi
    stop_wine "$home/env"
    stop_x "$home"
    exit 0
    ;;
  close)
    close_session "${3:?session name}"
    exit 0
    ;;
  start)
    idle=${3:?idle program}
    bits=${4:-32}
    "$0" stop "$home"
    mkdir -p "$home"
    echo "$bits" >"$home/bits"
    echo "$idle" >"$home/idle"
    if [ "$bits" = 64 ]; then
      echo 64-bit >"$home/flavour"
    elif ! tq_forced_emulated && tq_kernel_runs_32bit; then
      echo native >"$home/flavour"
    elif tq_reason= && tq_ensure_i386_handler; then
      echo emulated >"$home/flavour"
    else
      echo "wine-session: no 32-bit program can run here: $tq_reason" >&2
      exit 1
    fi
    if [ "$bits" = 64 ]; then
      mkdir -p "$home/bin"
      printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$home/bin/wine"
      printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot.exe "$@"\n' >"$home/bin/wineboot"
      chmod +x "$home/bin/wine" "$home/bin/wineboot"
    fi
    write_env "$home/env" "$home/prefix" "$(start_x "$home")"
    # shellcheck source=/dev/null
    . "$home/env"
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i >"$home/wineboot.log" 2>&1 </dev/null ||
        { echo "wine-session: making the Wine prefix failed (see $home/wineboot.log)" >&2; exit 1; }
    fi
    # No window manager runs: tell Wine's X11 driver not to manage windows,
    # which otherwise waits two seconds every time a top-level window is hidden.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
    # The prefix is copied from now on: its server goes, and with it the
    # registry reaches the disk.
    stop_wine "$home/env"
    stop_x "$home"
    echo "wine prefix ready: $WINEPREFIX"
    exit 0
    ;;
  open)
    name=${3:?session name}
    [ -f "$home/prefix/system.reg" ] ||
      { echo "wine-session: no prefix in $home (run: wine-session.sh start)" >&2; exit 1; }
    # The handler is gone after a reboot; the prefix is not.
    if [ "$(cat "$home/flavour" 2>/dev/null)" = emulated ] && ! tq_ensure_i386_handler; then
      echo "wine-session: no 32-bit program can run here: $tq_reason" >&2
      exit 1
    fi
    session=$home/sessions/$name
    rm -rf "$session"
    mkdir -p "$session/prefix/drive_c" "$session/drive_t"
    prefix=$home/prefix
    for entry in "$prefix/drive_c"/*; do
      case $(basename "$entry") in
        windows | "Program Files" | "Program Files (x86)") cp -al "$entry" "$session/prefix/drive_c/" ;;
        *) cp -a "$entry" "$session/prefix/drive_c/" ;;
      esac
    done
    cp -a "$prefix"/*.reg "$prefix/.update-timestamp" "$prefix/dosdevices" "$session/prefix/"
    # Drive T: is the tests' own, for programs that must run from a drive root.
    ln -sfn "$session/drive_t" "$session/prefix/dosdevices/t:"
    write_env "$session/env" "$session/prefix" "$(start_x "$session")"
    # shellcheck source=/dev/null
    . "$session/env"
    setsid wineserver -p >/dev/null 2>&1 </dev/null || true
    setsid wine "$(cat "$home/idle")" >/dev/null 2>&1 </dev/null &
    # The first GUI program of a new session waits for Wine's services and
    # desktop; let that wait happen here, not in a timed test.
    timeout 60 wine "$(cat "$home/idle")" --warm-up >/dev/null 2>&1 </dev/null || true
    exit 0
    ;;
  *)
    echo "wine-session: start, open, close or stop, not $cmd" >&2
    exit 2
    ;;
esac
