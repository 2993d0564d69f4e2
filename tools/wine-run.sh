#!/usr/bin/env bash
# Runs a Windows program under Wine in the test session's prefix and display
# (see wine-session.sh), the way CMake's cross-compiling emulator calls it:
#   wine-run.sh PROGRAM.exe [ARGS...]
# Wine's output goes to a file first and is printed afterwards: Wine's own
# services inherit standard output and would keep a caller's pipe open.
set -u
home=${TQ_WINE_HOME:?TQ_WINE_HOME names the folder of the Wine test session}
# shellcheck source=/dev/null
. "$home/env"
out=$(mktemp "$home/run.XXXXXX")
wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
