#!/usr/bin/env bash
# Runs a Windows program in the test session's Wine (see tools/wine-session.sh)
# with Wine pretending to be Windows XP, then puts the version back:
#   run_as_windows_xp.sh BITS PROGRAM.exe [ARGS...]
# Wine's Windows version is a setting of the prefix ("Version" under
# HKCU\Software\Wine): 32-bit programs then see Windows XP SP3 (5.1), 64-bit
# ones XP x64 (5.2). The program is told which in TQ_E2E_WINDOWS_VERSION,
# to check that it sees it.
set -u
bits=${1:?32 or 64}
shift
home=${TQ_WINE_HOME:?TQ_WINE_HOME names the folder of the Wine test session}
# shellcheck source=/dev/null
. "$home/env"
case $bits in
  32) name=winxp version=5.1 ;;
  64) name=winxp64 version=5.2 ;;
  *) echo "run_as_windows_xp.sh: BITS is 32 or 64, not $bits" >&2; exit 2 ;;
esac
key='HKCU\Software\Wine'
restore() { wine reg delete "$key" /v Version /f >/dev/null 2>&1 </dev/null; }
trap restore EXIT
if ! wine reg add "$key" /v Version /t REG_SZ /d "$name" /f >/dev/null 2>&1 </dev/null; then
  echo "run_as_windows_xp.sh: could not set Wine's Windows version to $name" >&2
  exit 1
fi
TQ_E2E_WINDOWS_VERSION=$version "$(dirname "$0")/../../tools/wine-run.sh" "$@"
