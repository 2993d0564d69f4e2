#!/usr/bin/env bash
# Runs a Windows program in a Wine session of its own (see
# tools/wine-run.sh) with Wine pretending to be Windows XP:
#   run_as_windows_xp.sh BITS PROGRAM.exe [ARGS...]
# Wine's Windows version is a setting of the prefix ("Version" under
# HKCU\Software\Wine): 32-bit programs then see Windows XP SP3 (5.1), 64-bit
# ones XP x64 (5.2). The program is told which in TQ_E2E_WINDOWS_VERSION,
# to check that it sees it.
set -u
bits=${1:?32 or 64}
shift
case $bits in
  32) name=winxp version=5.1 ;;
  64) name=winxp64 version=5.2 ;;
  *) echo "run_as_windows_xp.sh: BITS is 32 or 64, not $bits" >&2; exit 2 ;;
esac
TQ_WINE_WINDOWS_VERSION=$name TQ_E2E_WINDOWS_VERSION=$version \
  exec "$(dirname "$0")/../../tools/wine-run.sh" "$@"
