#!/usr/bin/env bash
# Runs a Windows program in the test session's Wine (tools/wine-run.sh),
# keeps everything Wine printed, the trace of the programs it started
# included, and has a checker read it afterwards:
#   run_with_wine_trace.sh CHECKER.py PROGRAM.exe [ARGS...]
# Wine writes a program's trace (WINEDEBUG) to the Unix standard error of
# its process, where no Windows program can read it: only a caller out here
# can. The trace lines are kept out of what is shown; the rest is shown as
# it comes. Fails when the program or the checker fails.
set -u
checker=${1:?the checker of the trace}
shift
log=$(mktemp "${TMPDIR:-/tmp}/tq-wine-trace.XXXXXX")
trap 'rm -f "$log"' EXIT
"$(dirname "$0")/../../tools/wine-run.sh" "$@" | tee "$log" |
  grep --line-buffered -Ev '^[0-9a-f]+:([0-9a-f]+:)?(trace:|Call |Ret |Starting )'
status=${PIPESTATUS[0]}
/usr/bin/python3 "$checker" "$log" || status=1
exit "$status"
