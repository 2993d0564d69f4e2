#!/usr/bin/env bash
# Runs a Windows program in the test session's Wine (see tools/wine-session.sh)
# under another Unix locale, which gives that Wine process, and the programs
# it starts, the locale's ANSI code page:
#   run_in_locale.sh LOCALE PROGRAM.exe [ARGS...]
set -u
locale=${1:?locale, e.g. ja_JP.UTF-8}
shift
if ! locale -a 2>/dev/null | grep -qix "$(echo "$locale" | sed 's/UTF-8/utf8/I')"; then
  echo "the locale $locale is not installed (tools/setup.sh makes it)" >&2
  exit 1
fi
TQ_WINE_LOCALE=$locale exec "$(dirname "$0")/../../tools/wine-run.sh" "$@"
