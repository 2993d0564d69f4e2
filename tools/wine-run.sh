#!/usr/bin/env bash
# Runs a Windows program under Wine in a session of its own, copied from the
# test run's prefix (see wine-session.sh), the way CMake's cross-compiling
# emulator calls it:
#   wine-run.sh PROGRAM.exe [ARGS...]
# TQ_WINE_LOCALE, when set, is the Unix locale the program runs under in
# place of the session's: Wine takes the ANSI code page from it.
# TQ_WINE_WINDOWS_VERSION, when set ("winxp", "winxp64"), is the Windows
# version Wine tells the session's programs.
# Wine's output goes to a file, which is shown as it grows: Wine's own
# services inherit standard output and would keep a caller's pipe open. The
# session is ended and removed afterwards, whatever happened.
set -u
home=${TQ_WINE_HOME:?TQ_WINE_HOME names the folder of the Wine test session}
sessions=$(dirname "$0")/wine-session.sh
name=$(basename "$1" .exe)-$$
cleanup() { "$sessions" close "$home" "$name"; }
trap cleanup EXIT
trap 'exit 143' TERM INT
if ! "$sessions" open "$home" "$name"; then
  echo "wine-run: no Wine session could be opened for $1" >&2
  exit 1
fi
# shellcheck source=/dev/null
. "$home/sessions/$name/env"
if [ -n "${TQ_WINE_WINDOWS_VERSION:-}" ] &&
  ! wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$TQ_WINE_WINDOWS_VERSION" /f \
    >/dev/null 2>&1 </dev/null; then
  echo "wine-run: could not set Wine's Windows version to $TQ_WINE_WINDOWS_VERSION" >&2
  exit 1
fi
if [ -n "${TQ_WINE_LOCALE:-}" ]; then
  export LC_ALL=$TQ_WINE_LOCALE
fi
out=$home/sessions/$name/run.log
# There before tail follows it, however late the shell starts the program.
: >"$out"
wine "$@" >>"$out" 2>&1 </dev/null &
program=$!
# Shown as it comes, so that a run ended by the caller's time limit still
# leaves what it printed until then.
tail -n +1 -s 0.2 -f --pid="$program" "$out" &
shown=$!
wait "$program"
rc=$?
wait "$shown"
exit $rc
