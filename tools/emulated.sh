#!/usr/bin/env bash
# Runs a command with the 32-bit programs under qemu, on any machine, and
# leaves the machine as it is: the command runs in a user and mount
# namespace of its own whose binfmt_misc (Linux 6.7 and later give every
# user namespace its own) has the i386 handler, which the probe registers
# there (tools/machine.sh). Where the kernel runs 32-bit code itself, that
# is how its emulated path is tried:
#   tools/emulated.sh COMMAND [ARGS...]
#   tools/emulated.sh ctest --preset win32 -R '^windows_tests$'
# TQ_WINDOWS_32BIT_EMULATED=1 tools/test.sh (or run-demo.sh) comes through here.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: tools/emulated.sh COMMAND [ARGS...]" >&2; exit 2; }
if [ -n "${TQ_EMULATION_NAMESPACE:-}" ]; then
  exec "$@"
fi
if [ -z "${TQ_EMULATION_ENTERED:-}" ]; then
  TQ_EMULATION_ENTERED=1 exec unshare --user --map-root-user --mount "$0" "$@"
fi
unset TQ_EMULATION_ENTERED
binfmt=/proc/sys/fs/binfmt_misc
if ! said=$(mount -t binfmt_misc binfmt_misc "$binfmt" 2>&1); then
  echo "emulated: binfmt_misc cannot be mounted in a user namespace here (${said##*: });" \
    "it takes Linux 6.7 or later" >&2
  exit 1
fi
export TQ_EMULATION_NAMESPACE=$binfmt TQ_WINDOWS_32BIT_EMULATED=1
exec "$@"
