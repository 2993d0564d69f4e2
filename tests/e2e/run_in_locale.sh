#!/usr/bin/env bash
# Runs a Windows program in the test session's Wine (see tools/wine-session.sh)
# under another Unix locale, which gives that Wine process, and the programs
# it starts, the locale's ANSI code page:
#   run_in_locale.sh LOCALE PROGRAM.exe [ARGS...]
# Output goes to a file first, as in tools/wine-run.sh.
set -u
locale=${1:?locale, e.g. ja_JP.UTF-8}
shift
home=${TQ_WINE_HOME:?TQ_WINE_HOME names the folder of the Wine test session}
if ! locale -a 2>/dev/null | grep -qix "$(echo "$locale" | sed 's/UTF-8/utf8/I')"; then
  echo "the locale $locale is not installed (tools/setup.sh makes it)" >&2
  exit 1
fi
# shellcheck source=/dev/null
. "$home/env"
export LC_ALL=$locale
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
