#!/usr/bin/env bash
# Builds TovaneQuillon.exe and runs it under Wine on a demo machine:
#   - a throwaway Wine prefix (and a virtual X server when there is no display);
#   - two registered Java runtimes (32-bit registry view): 1.4.2_19, too old,
#     and 1.6.0_45 in "C:\Program Files (x86)\Java\jre6", whose java.exe is a
#     stand-in that records what it receives;
#   - the support folder C:\tovane\GsmModemJar with the four support files;
#   - the launcher and its application folder Sorvanta in
#     "C:\Program Files (x86)\Tovane Quillon".
# Then it prints which runtime was chosen, which support files were copied
# and what the started program received. A second run follows with a
# settings file beside the launcher: a private runtime in its folder, a heap
# size for Java and a decision log, which it prints.
#
# It runs the 32-bit launcher that ships: natively, or under qemu where the
# kernel runs no 32-bit code (or with TQ_WINDOWS_32BIT_EMULATED=1), and says
# which. On a machine that cannot run 32-bit programs (tools/machine.sh), or
# with TQ_WINDOWS_64BIT_ONLY=1, it runs the 64-bit build of the same sources,
# and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
step="setting up"
trap 'echo "run-demo: failed while $step (status $?)" >&2' ERR

# shellcheck source=tools/machine.sh
. tools/machine.sh
tq_set_up "$0" "$@"

step="finding out whether this machine runs 32-bit Windows programs"
tq_probe_32bit_windows build/machine-probe
if [ "$TQ_RUNS_32BIT" = native ]; then
  preset=win32 bits=32
  echo "== the shipped 32-bit launcher (preset win32)"
elif [ "$TQ_RUNS_32BIT" = emulated ]; then
  preset=win32 bits=32
  echo "== $(tq_flavour_line "the demo runs the shipped 32-bit launcher (preset win32) emulated")"
else
  preset=win64 bits=64
  echo "== $(tq_flavour_line "the demo runs the 64-bit build (preset win64)")"
fi

step="building"
echo "== building"
build=$root/build/$preset
log=$(mktemp)
if ! { cmake --preset "$preset" >"$log" 2>&1 &&
  cmake --build --preset "$preset" -j2 --target TovaneQuillon stand_in_java tq_idle >"$log" 2>&1; }; then
  tail -n 30 "$log" >&2
  rm -f "$log"
  echo "run-demo: the build of preset $preset failed (above: its last lines)" >&2
  exit 1
fi
rm -f "$log"
standin=$(find "$build/tests/e2e" -name java.exe | head -n 1)

demo=$(mktemp -d /tmp/tovane-demo.XXXXXX)
cleanup() { tools/wine-session.sh stop "$demo" || true; }
trap cleanup EXIT
step="making a Wine prefix"
echo "== making a Wine prefix in $demo (about 15 s)"
if ! { tools/wine-session.sh start "$demo" "$build/tq_idle.exe" "$bits" &&
  tools/wine-session.sh open "$demo" demo; } >"$demo/session.log" 2>&1; then
  tail -n 5 "$demo/session.log" >&2
  echo "run-demo: Wine could not make its prefix or start its session (see $demo/session.log)" >&2
  exit 1
fi
# shellcheck source=/dev/null
. "$demo/sessions/demo/env"
c=$WINEPREFIX/drive_c

step="laying out the demo machine"
app="$c/Program Files (x86)/Tovane Quillon"
mkdir -p "$app/Sorvanta/lib"
cp "$build/product/TovaneQuillon.exe" "$app/"
for jar in Sorvanta Comm jdc jxl log4j-1.2.8 slf4j-api-1.1.0 slf4j-log4j12-1.1.0 \
  slf4j-simple-1.1.0 swing-layout-1.0 win32com.dll; do
  : >"$app/Sorvanta/lib/$jar.jar"
done

jre="$c/Program Files (x86)/Java/jre6"
old="$c/Java/j2re1.4.2_19"
for runtime in "$jre" "$old"; do
  mkdir -p "$runtime/bin" "$runtime/lib/ext"
  cp "$standin" "$runtime/bin/java.exe"
done
echo "# already in place" >"$jre/lib/javax.comm.properties"

mkdir -p "$c/tovane/GsmModemJar"
for file in Comm.jar javax.comm.properties Win32com.dll jdc.jar; do
  echo "demo $file" >"$c/tovane/GsmModemJar/$file"
done

step="registering the Java runtimes"
key='HKLM\SOFTWARE\JavaSoft\Java Runtime Environment'
wine reg add "$key\\1.4.2_19" /v JavaHome /t REG_SZ /d 'C:\Java\j2re1.4.2_19' /f /reg:32 >/dev/null 2>&1
wine reg add "$key\\1.6.0_45" /v JavaHome /t REG_SZ /d 'C:\Program Files (x86)\Java\jre6' /f /reg:32 >/dev/null 2>&1

records=$demo/records
mkdir -p "$records"
before=$(cd "$jre" && find . -type f | sort)

# run_launcher TIMEOUT: runs the launcher once; sets status.
run_launcher() {
  local started ended
  started=$(date +%s.%N)
  TQ_STANDIN_RECORD_DIR="Z:${records//\//\\}" TQ_STANDIN_LINGER_MS=3000 \
    timeout "$1" wine "C:\\Program Files (x86)\\Tovane Quillon\\TovaneQuillon.exe" >"$demo/launcher.log" 2>&1 </dev/null \
    && status=0 || status=$?
  ended=$(date +%s.%N)
  case $status in
    0) ;;
    124) echo "run-demo: the launcher did not end within $1 s; it was stopped" >&2 ;;
    126 | 127) echo "run-demo: Wine could not start the launcher (status $status): $(tail -n 1 "$demo/launcher.log")" >&2 ;;
    *) echo "run-demo: the launcher ended with exit code $status (0 is a started Java application)" >&2 ;;
  esac
  awk -v s="$started" -v e="$ended" -v c="$status" \
    'BEGIN { printf "launcher exited with code %s after %.1f s\n", c, e - s }'
}

step="running the launcher"
echo "== running TovaneQuillon.exe, $bits-bit (splash for 2 s, then 10 s until it exits)"
run_launcher 90

echo
echo "== registered runtimes (32-bit view)"
echo "  1.4.2_19  C:\\Java\\j2re1.4.2_19              (too old)"
echo "  1.6.0_45  C:\\Program Files (x86)\\Java\\jre6  (the first of 1.5 or later)"
echo
echo "== support files copied into the chosen runtime"
after=$(cd "$jre" && find . -type f | sort)
comm -13 <(echo "$before") <(echo "$after") | sed 's/^\.\//  /'
echo "  (lib/javax.comm.properties was there already and was left alone)"
echo
echo "== what the started program received"
if ls "$records"/* >/dev/null 2>&1; then
  cat "$records"/*
else
  echo "  nothing: no program was started"
fi
[ "$status" -eq 0 ] || exit 1

step="running the launcher with a settings file"
private="$app/jre"
mkdir -p "$private/bin" "$private/lib/ext"
cp "$standin" "$private/bin/java.exe"
printf '%s\r\n' '; Tovane Quillon deployment settings' '[Java]' 'Home=jre' \
  'Options=-Xmx512m -Dfile.encoding=UTF-8' '[Log]' 'File=TovaneQuillon.log' >"$app/TovaneQuillon.ini"
rm -f "$records"/*
echo
echo "== a second run, with TovaneQuillon.ini beside the launcher:"
sed 's/^/  /; s/\r$//' "$app/TovaneQuillon.ini"
run_launcher 90
echo
echo "== its decision log, TovaneQuillon.log"
sed 's/^\xEF\xBB\xBF//; s/\r$//; s/^/  /' "$app/TovaneQuillon.log"
echo
echo "== what the started program received"
if ls "$records"/* >/dev/null 2>&1; then
  cat "$records"/*
else
  echo "  nothing: no program was started"
fi
[ "$status" -eq 0 ] || exit 1
