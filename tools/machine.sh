# What this machine can run, found out by trying. Sourced by the set-up,
# test, demo and benchmark commands and the Wine session helper; defines
# functions only.
#
# Three kinds of x86-64 machine:
#   native     the kernel runs 32-bit (i386) code: Wine's 32-bit loader runs
#              the 32-bit Windows programs directly;
#   emulated   the kernel runs no 32-bit code (32-bit emulation off: cloud
#              VMs, hardened kernels), but qemu's user-mode i386 emulator is
#              installed and registered with binfmt_misc for i386 programs:
#              Wine's 32-bit loader runs under it, its 64-bit wineserver
#              natively beside it;
#   64-bit     neither: the Windows side of the project runs on the 64-bit
#              build (the `win64` preset) alone.
#
#   TQ_WINDOWS_64BIT_ONLY=1      behave as a machine that cannot run 32-bit
#                                programs, whatever this one can do
#   TQ_WINDOWS_32BIT_EMULATED=1  run the 32-bit programs under qemu even where
#                                the kernel runs them itself: the commands
#                                then run in a user namespace of their own
#                                whose binfmt_misc has the handler
#                                (tools/emulated.sh), and the machine's own
#                                stays as it is

# Where the set-up leaves its reason when Wine's 32-bit part or qemu could
# not be installed, for the probe to pass on.
tq_wine32_note() { echo "$(tq_repo_root)/build/setup/wine32-unavailable"; }
tq_qemu_note() { echo "$(tq_repo_root)/build/setup/qemu-unavailable"; }

tq_repo_root() { (cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd); }

# The set-up (tools/setup.sh), then, with TQ_WINDOWS_32BIT_EMULATED=1, the
# calling command once more in the emulation's namespace (tools/emulated.sh);
# inside that namespace, nothing. Fails when the set-up fails.
#   tq_set_up "$0" "$@"
tq_set_up() {
  [ -n "${TQ_EMULATION_NAMESPACE:-}" ] && return 0
  "$(tq_repo_root)/tools/setup.sh" || return 1
  if tq_forced_emulated; then
    exec "$(tq_repo_root)/tools/emulated.sh" "$@"
  fi
}

tq_forced_64bit_only() { [ -n "${TQ_WINDOWS_64BIT_ONLY:-}" ] && [ "${TQ_WINDOWS_64BIT_ONLY}" != 0 ]; }
tq_forced_emulated() {
  [ -n "${TQ_WINDOWS_32BIT_EMULATED:-}" ] && [ "${TQ_WINDOWS_32BIT_EMULATED}" != 0 ]
}

# The binfmt_misc handler for i386 programs: the ELF identification and
# header of an i386 executable or shared object, qemu's usual mask. The mask
# takes the ABI version (identification byte 8) as it is, so it must be 0:
# a program with 1 there is never handed to the emulator and runs only where
# the kernel itself runs i386 code. Flag F: the emulator is opened once, at
# registration, so the handler works from every mount namespace (ctest's,
# a container's); no C, so that a set-user-ID i386 program gains nothing
# from running under the emulator.
tq_i386_handler_name=tq-qemu-i386
tq_i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
tq_i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# The static i386 emulator (static, so that it runs in any root the handler
# is used from): qemu 10 (bookworm-backports' qemu-user) where it is
# installed, else Debian 12's qemu-user-static (7.2). Prints its path.
tq_qemu_i386() {
  local candidate
  for candidate in /usr/bin/qemu-i386 /usr/bin/qemu-i386-static; do
    if [ -x "$candidate" ] &&
      ! LC_ALL=C readelf -l "$candidate" 2>/dev/null | grep -q 'program interpreter'; then
      readlink -f "$candidate"
      return 0
    fi
  done
  return 1
}

# "qemu-i386 10.0.2", from the emulator itself.
tq_qemu_version() {
  "$1" --version 2>/dev/null | head -n 1 | sed -E 's/^qemu-i386 version ([^ ]+).*/qemu-i386 \1/'
}

# Runs a 32-bit Linux (i386) program of a few bytes that exits with status
# 32, with identification byte 8 (the ABI version) set to ABI_VERSION (0
# or 1). Succeeds when it runs; otherwise sets tq_reason to what the
# attempt said.
#   tq_i386_program_runs ABI_VERSION
tq_i386_program_runs() {
  local program status said
  program=$(mktemp /tmp/tq-i386.XXXXXX)
  # ELF header, one loadable segment, then: mov eax, 1; mov ebx, 32; int 0x80
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x0'"$1"'\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x20\x00\x00\x00\xcd\x80' >"$program"
  chmod +x "$program"
  said=$("$program" 2>&1) && status=0 || status=$?
  rm -f "$program"
  [ "$status" -eq 32 ] && return 0
  said=${said##*: }
  tq_reason="an i386 program fails with status $status${said:+ ($said)}"
  return 1
}

# The kernel itself runs 32-bit code (no emulator can take a program with
# ABI version 1).
tq_kernel_runs_32bit() {
  tq_i386_program_runs 1 && return 0
  tq_reason="the kernel runs no 32-bit code: $tq_reason"
  return 1
}

# Makes i386 programs run under qemu where the kernel runs none, by
# registering the handler with binfmt_misc when it is missing (as root).
# With TQ_WINDOWS_32BIT_EMULATED=1, inside the namespace of
# tools/emulated.sh, it registers there even where the kernel runs i386
# code. Succeeds when an i386 program then runs; otherwise sets tq_reason.
tq_ensure_i386_handler() {
  local binfmt=/proc/sys/fs/binfmt_misc qemu
  if tq_forced_emulated; then
    if [ -z "${TQ_EMULATION_NAMESPACE:-}" ]; then
      tq_reason="TQ_WINDOWS_32BIT_EMULATED=$TQ_WINDOWS_32BIT_EMULATED is set, but this command does not run in the emulation's namespace (run it through tools/emulated.sh)"
      return 1
    fi
    binfmt=$TQ_EMULATION_NAMESPACE
  elif tq_kernel_runs_32bit; then
    return 0
  fi
  [ -e "$binfmt/$tq_i386_handler_name" ] && tq_i386_program_runs 0 && return 0
  if ! qemu=$(tq_qemu_i386); then
    tq_reason="the kernel runs no 32-bit code, and qemu's i386 emulator is not installed (package qemu-user)"
    [ -s "$(tq_qemu_note)" ] && tq_reason+=": $(head -n 1 "$(tq_qemu_note)")"
    return 1
  fi
  if [ "$(id -u)" -ne 0 ]; then
    tq_reason="the kernel runs no 32-bit code, and registering qemu for i386 programs with binfmt_misc takes root"
    return 1
  fi
  local said
  if [ ! -e "$binfmt/register" ] &&
    ! said=$(mount -t binfmt_misc binfmt_misc "$binfmt" 2>&1); then
    tq_reason="the kernel runs no 32-bit code, and binfmt_misc cannot be mounted for qemu (${said##*: })"
    return 1
  fi
  if [ ! -e "$binfmt/$tq_i386_handler_name" ] &&
    ! said=$(printf ':%s:M::%s:%s:%s:F\n' "$tq_i386_handler_name" "$tq_i386_magic" "$tq_i386_mask" \
      "$qemu" 2>&1 >"$binfmt/register"); then
    tq_reason="the kernel runs no 32-bit code, and qemu cannot be registered with binfmt_misc (${said##*: })"
    return 1
  fi
  if ! tq_i386_program_runs 0; then
    tq_reason="the kernel runs no 32-bit code, and under qemu ($qemu) $tq_reason"
    return 1
  fi
}

# Decides how this machine runs the 32-bit Windows programs under Wine: the
# kernel runs 32-bit code or qemu does (tq_ensure_i386_handler), Wine's
# 32-bit loader is installed, and a 32-bit Windows program built here really
# runs and returns its exit status (Wine's 64-bit loader "runs" one too, and
# returns 0).
# Sets TQ_RUNS_32BIT: native, emulated or no; for emulated, TQ_32BIT_EMULATOR
# (which qemu) and TQ_32BIT_START (how long one process start took, in a
# warm prefix); for no, TQ_32BIT_REASON.
#   tq_probe_32bit_windows WORK_FOLDER
tq_probe_32bit_windows() {
  local work=$1 tq_reason= how=native
  TQ_RUNS_32BIT=no
  TQ_32BIT_REASON=
  TQ_32BIT_EMULATOR=
  TQ_32BIT_START=
  if tq_forced_64bit_only; then
    TQ_32BIT_REASON="TQ_WINDOWS_64BIT_ONLY=$TQ_WINDOWS_64BIT_ONLY is set"
    return 0
  fi
  if tq_forced_emulated || ! tq_kernel_runs_32bit; then
    how=emulated
    if ! tq_ensure_i386_handler; then
      TQ_32BIT_REASON=$tq_reason
      return 0
    fi
    TQ_32BIT_EMULATOR=$(tq_qemu_version "$(tq_qemu_i386)")
  fi
  if [ ! -x /usr/lib/wine/wine ]; then
    TQ_32BIT_REASON="Wine's 32-bit loader is not installed (package wine32:i386)"
    if [ -s "$(tq_wine32_note)" ]; then
      TQ_32BIT_REASON+=": $(head -n 1 "$(tq_wine32_note)")"
    fi
    return 0
  fi
  mkdir -p "$work"
  work=$(cd "$work" && pwd)  # Wine takes only an absolute prefix
  printf 'int main(void) { return 32; }\n' >"$work/probe32.c"
  if ! i686-w64-mingw32-gcc -o "$work/probe32.exe" "$work/probe32.c" >"$work/build.log" 2>&1; then
    TQ_32BIT_REASON="a 32-bit Windows program could not be built (see $work/build.log)"
    return 0
  fi
  # A prefix of its own, kept for the next probe: making one takes ~10 s.
  # The second run is timed, in a prefix that exists and with Wine's server
  # and services running, as a test's programs start.
  local status began ended
  WINEPREFIX="$work/prefix" WINEARCH=win64 wineserver -p >/dev/null 2>&1 || true
  for _ in 1 2; do
    began=$(date +%s%N)
    WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
      timeout 300 /usr/lib/wine/wine "$work/probe32.exe" >"$work/run.log" 2>&1 </dev/null &&
      status=0 || status=$?
    ended=$(date +%s%N)
    [ "$status" -eq 32 ] || break
  done
  WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
  if [ "$status" -ne 32 ]; then
    TQ_32BIT_REASON="a 32-bit Windows program does not run under Wine${TQ_32BIT_EMULATOR:+ and $TQ_32BIT_EMULATOR} (exit status $status; see $work/run.log)"
    return 0
  fi
  TQ_RUNS_32BIT=$how
  TQ_32BIT_START=$(awk -v n=$((ended - began)) 'BEGIN { printf "%.2f s", n / 1e9 }')
}

# The one line that says which flavour ran and why: tq_flavour_line WHAT
# (what the command did on the 64-bit build, or on the emulated 32-bit one).
tq_flavour_line() {
  case $TQ_RUNS_32BIT in
    emulated)
      echo "this machine runs 32-bit programs emulated ($TQ_32BIT_EMULATOR; one 32-bit Windows process start took $TQ_32BIT_START): $1"
      ;;
    native) echo "this machine runs 32-bit programs natively: $1" ;;
    *) echo "this machine cannot run 32-bit programs ($TQ_32BIT_REASON): $1" ;;
  esac
}
