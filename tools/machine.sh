# What this machine can run, found out by trying. Sourced by the set-up,
# test, demo and benchmark commands; defines functions only.
#
# Some x86-64 kernels run no 32-bit code at all (32-bit emulation off). Wine
# cannot run a 32-bit Windows program there, so the Windows side of the
# project then runs on the 64-bit build (the `win64` preset) alone.
#
#   TQ_WINDOWS_64BIT_ONLY=1   behave as on a machine that cannot run 32-bit
#                             programs, whatever this one can do

# Where the set-up leaves its reason when Wine's 32-bit part could not be
# installed, for the probe to pass on.
tq_wine32_note() { echo "$(tq_repo_root)/build/setup/wine32-unavailable"; }

tq_repo_root() { (cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd); }

tq_forced_64bit_only() { [ -n "${TQ_WINDOWS_64BIT_ONLY:-}" ] && [ "${TQ_WINDOWS_64BIT_ONLY}" != 0 ]; }

# Runs a 32-bit Linux (i386) program of a few bytes that exits with status
# 32. Succeeds when the kernel runs it; otherwise sets tq_reason to what
# the attempt said.
tq_kernel_runs_32bit() {
  local program status
  program=$(mktemp /tmp/tq-i386.XXXXXX)
  # ELF header, one loadable segment, then: mov eax, 1; mov ebx, 32; int 0x80
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x20\x00\x00\x00\xcd\x80' >"$program"
  chmod +x "$program"
  local said
  said=$("$program" 2>&1) && status=0 || status=$?
  rm -f "$program"
  [ "$status" -eq 32 ] && return 0
  said=${said##*: }
  tq_reason="the kernel runs no 32-bit code: an i386 program fails with status $status${said:+ ($said)}"
  return 1
}

# Decides whether this machine can run the 32-bit Windows programs under
# Wine: the kernel runs 32-bit code, Wine's 32-bit loader is installed, and
# a 32-bit Windows program built here really runs and returns its exit
# status (Wine's 64-bit loader "runs" one too, and returns 0).
# Sets TQ_RUNS_32BIT (yes or no) and, for no, TQ_32BIT_REASON.
#   tq_probe_32bit_windows WORK_FOLDER
tq_probe_32bit_windows() {
  local work=$1 tq_reason=
  TQ_RUNS_32BIT=no
  TQ_32BIT_REASON=
  if tq_forced_64bit_only; then
    TQ_32BIT_REASON="TQ_WINDOWS_64BIT_ONLY=$TQ_WINDOWS_64BIT_ONLY is set"
    return 0
  fi
  if ! tq_kernel_runs_32bit; then
    TQ_32BIT_REASON=$tq_reason
    return 0
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
  local status
  # A prefix of its own, kept for the next probe: making one takes ~10 s.
  WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    timeout 180 /usr/lib/wine/wine "$work/probe32.exe" >"$work/run.log" 2>&1 </dev/null &&
    status=0 || status=$?
  WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
  if [ "$status" -eq 32 ]; then
    TQ_RUNS_32BIT=yes
  else
    TQ_32BIT_REASON="a 32-bit Windows program does not run under Wine (exit status $status; see $work/run.log)"
  fi
}

# The one line that says which flavour ran and why.
tq_flavour_line() {
  echo "this machine cannot run 32-bit programs ($TQ_32BIT_REASON): $1"
}
