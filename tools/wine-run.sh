#!/usr/bin/env bash
# Runs a Windows program under Wine in the test session's prefix and display
# (see wine-session.sh), the way CMake's cross-compiling emulator calls it:
#   wine-run.sh PROGRAM.exe [ARGS...]
# TQ_WINE_LOCALE, when set, is the Unix locale the program runs under in
# place of the session's: Wine takes the ANSI code page from it.
# Wine's output goes to a file, which is shown as it grows: Wine's own
# services inherit standard output and would keep a caller's pipe open.
set -u
home=${TQ_WINE_HOME:?TQ_WINE_HOME names the folder of the Wine test session}
# shellcheck source=/dev/null
. "$home/env"
if [ -n "${TQ_WINE_LOCALE:-}" ]; then
  export LC_ALL=$TQ_WINE_LOCALE
fi
out=$(mktemp "$home/run.XXXXXX")
wine "$@" >"$out" 2>&1 </dev/null &
program=$!
# Shown as it comes, so that a run ended by the caller's time limit still
# leaves what it printed until then.
tail -n +1 -s 0.2 -f --pid="$program" "$out" &
wait "$program"
rc=$?
wait
rm -f "$out"
exit $rc
