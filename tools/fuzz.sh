#!/usr/bin/env bash
# A fuzzing campaign: every fuzz target in turn, each on as many processes
# as the machine has cores, at the lowest priority (other people build on
# this machine).
#   tools/fuzz.sh [--save-corpus] [MINUTES] [TARGET...]
# Each target runs MINUTES minutes or, by default, until it has passed ten
# million executions (at most six hours): on the 2-core build machine from
# under a minute for the runtime readers to about an hour for discovery
# (docs/reliability.md has the figures).
#
# A target is every program build/fuzz/fuzz/*_fuzz (the `fuzz` preset) that
# has a corpus folder of its name in fuzz/corpus/, or only the TARGETs named
# (registry_fuzz, discovery_fuzz, ...). It starts from that
# corpus and from what earlier campaigns found (build/fuzz/campaign/NAME/
# corpus, which is kept); fuzz/corpus/ itself is only read. Per target the
# campaign prints the executions, their rate, the coverage of the corpus it
# ends with, the corpus size and the findings.
#
# A finding (a crash, a sanitizer report, a broken rule, a leak, a hang, an
# out-of-memory) fails the campaign once every target has run: the input is
# kept in build/fuzz/campaign/NAME/findings/, and the line to reproduce it
# is printed. A fixed finding's input goes into fuzz/corpus/NAME/, where the
# test command's smoke runs start from.
#
# --save-corpus: after fuzzing, add to fuzz/corpus/NAME/, to be committed,
# the fewest of the campaign's inputs that bring all the coverage the
# folder lacks (libFuzzer's -merge=1). What the folder holds stays: its
# seeds and the inputs of fixed findings.
set -uo pipefail
cd "$(dirname "$0")/.."

minutes=
save_corpus=no
chosen=()
# The default goal, and how long a target may take to reach it.
goal_executions=10000000
most_minutes=360
for argument in "$@"; do
  case $argument in
    --save-corpus) save_corpus=yes ;;
    *_fuzz) chosen+=("$argument") ;;
    '' | *[!0-9]*)
      echo "usage: tools/fuzz.sh [--save-corpus] [MINUTES] [TARGET...]" >&2
      exit 2
      ;;
    *) minutes=$argument ;;
  esac
done
if [ -n "$minutes" ] && [ "$minutes" -lt 1 ]; then
  echo "fuzz: MINUTES must be at least 1" >&2
  exit 2
fi

workers=$(nproc)
# Each process a share of the goal, or all of them the time.
if [ -n "$minutes" ]; then
  bound=(-max_total_time=$((minutes * 60)))
  span="for $minutes min"
else
  bound=(-runs=$(((goal_executions + workers - 1) / workers)) -max_total_time=$((most_minutes * 60)))
  span="to $goal_executions executions"
fi
campaign=build/fuzz/campaign
# A unit slower than this is a hang. The runs take milliseconds, but the
# clock is the wall's: at the lowest priority, beside builds and tests, one
# can wait half a minute for the processor (seen: 34 s for a unit that takes
# 0.3 s alone), and that is no finding.
unit_timeout=300

echo "=== fuzz: building the fuzz preset"
build_log=$(mktemp)
if ! { nice -n 19 cmake --preset fuzz && nice -n 19 cmake --build --preset fuzz -j2; } \
  >"$build_log" 2>&1; then
  tail -n 30 "$build_log"
  rm -f "$build_log"
  echo "fuzz: the build failed (above: its last lines)"
  exit 1
fi
rm -f "$build_log"

targets=()
for program in build/fuzz/fuzz/*_fuzz; do
  name=$(basename "$program")
  if [ ${#chosen[@]} -gt 0 ] && [[ " ${chosen[*]} " != *" $name "* ]]; then
    continue
  fi
  if [ -x "$program" ] && [ -d "fuzz/corpus/$name" ]; then
    targets+=("$name")
  elif [ -x "$program" ]; then
    echo "fuzz: $name has no corpus folder fuzz/corpus/$name; left out"
  fi
done
for name in "${chosen[@]+"${chosen[@]}"}"; do
  if [ ! -x "build/fuzz/fuzz/$name" ]; then
    echo "fuzz: no target $name (the fuzz targets: $(cd build/fuzz/fuzz && echo *_fuzz))"
    exit 2
  fi
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no target: no program build/fuzz/fuzz/*_fuzz with a corpus in fuzz/corpus/"
  exit 1
fi

# count FOLDER: "N inputs, B bytes"
count() {
  local files bytes
  files=$(find "$1" -maxdepth 1 -type f | wc -l)
  bytes=$(find "$1" -maxdepth 1 -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}')
  echo "$files inputs, $bytes bytes"
}

# coverage PROGRAM FOLDER...: what one pass over the inputs covers, as
# libFuzzer counts it ("cov: edges ft: features").
coverage() {
  local program=$1
  shift
  "$program" -runs=0 "$@" 2>&1 | grep -Eo 'INITED cov: [0-9]+ ft: [0-9]+' | tail -n 1 |
    sed -E 's/INITED cov: ([0-9]+) ft: ([0-9]+)/\1 edges, \2 features/'
}

failed=0
summary=()
for name in "${targets[@]}"; do
  program=build/fuzz/fuzz/$name
  work=$campaign/$name
  mkdir -p "$work/corpus" "$work/findings"
  rm -f "$work"/worker-*.log
  marker=$(mktemp)
  echo "=== fuzz: $name $span on $workers processes" \
    "(from fuzz/corpus/$name: $(count "fuzz/corpus/$name"); campaign corpus: $(count "$work/corpus"))"
  began=$(date +%s)
  pids=()
  for worker in $(seq 1 "$workers"); do
    # One corpus folder for all: each writes what it finds there and
    # reads what the others found (-reload).
    nice -n 19 "$program" "${bound[@]}" -timeout=$unit_timeout -report_slow_units=$unit_timeout \
      -print_final_stats=1 -artifact_prefix="$work/findings/" -seed="$((began + worker))" \
      "$work/corpus" "fuzz/corpus/$name" >"$work/worker-$worker.log" 2>&1 &
    pids+=($!)
  done
  statuses=0
  for pid in "${pids[@]}"; do
    wait "$pid" || statuses=$((statuses + 1))
  done
  seconds=$(($(date +%s) - began))
  executions=$(cat "$work"/worker-*.log | sed -n 's/^stat::number_of_executed_units: *//p' |
    awk '{s += $1} END {print s + 0}')
  mapfile -t findings < <(find "$work/findings" -maxdepth 1 -type f -newer "$marker" | sort)
  rm -f "$marker"
  reports=$(grep -l -E '^==[0-9]+==ERROR|runtime error:|broken( rule)?:|^SUMMARY: ' \
    "$work"/worker-*.log 2>/dev/null | wc -l)

  echo "    executions: $executions in $seconds s ($((executions / (seconds > 0 ? seconds : 1))) exec/s)"
  if [ -z "$minutes" ] && [ "$executions" -lt "$goal_executions" ]; then
    echo "    short of the goal of $goal_executions executions after $most_minutes min"
  fi
  echo "    coverage of the corpus: $(coverage "$program" "$work/corpus" "fuzz/corpus/$name")"
  echo "    corpus: $(count "$work/corpus") found by campaigns, $(count "fuzz/corpus/$name") kept"
  if [ ${#findings[@]} -eq 0 ] && [ "$statuses" -eq 0 ] && [ "$reports" -eq 0 ]; then
    echo "    findings: none"
    summary+=("$name: $executions executions, no finding")
  else
    failed=1
    echo "    findings: ${#findings[@]} input(s) kept; $statuses process(es) failed" \
      "(logs: $work/worker-*.log)"
    for finding in "${findings[@]}"; do
      echo "      $finding   reproduce: $program $finding"
    done
    summary+=("$name: $executions executions, FINDINGS in $work/findings")
  fi

  if [ "$save_corpus" = yes ]; then
    if "$program" -merge=1 "fuzz/corpus/$name" "$work/corpus" >"$work/merge.log" 2>&1; then
      echo "    fuzz/corpus/$name with what the campaign adds to it: $(count "fuzz/corpus/$name")"
    else
      failed=1
      echo "    the corpus could not be merged (see $work/merge.log)"
    fi
  fi
done

echo "=== fuzz: summary"
printf '%s\n' "${summary[@]}"
exit $failed
