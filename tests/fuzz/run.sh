#!/bin/bash
# Runs every fuzz target of the fuzz build for FUZZ_SECONDS seconds (default 60), FUZZ_JOBS at a
# time (default 2), each on its corpus in build-fuzz/fuzz/corpus/ (kept between runs) seeded from
# build-fuzz/fuzz/seeds/ and tests/fuzz/seeds/. Prints executions and corpus sizes; a crash, a
# sanitizer report, a leak or a timeout fails the run and leaves its input in
# build-fuzz/fuzz/findings/.
#
#   tests/fuzz/run.sh [TARGET...]      (targets: stage replay config hiscore rndtbl wave bmp command_line)
set -u
cd "$(dirname "$0")/../.."
root=$PWD
build=$root/build-fuzz
seconds=${FUZZ_SECONDS:-60}
jobs=${FUZZ_JOBS:-2}
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(stage replay config hiscore rndtbl wave bmp command_line)
mkdir -p "$build/fuzz/corpus" "$build/fuzz/findings" "$build/fuzz/logs"

run_one() {
  local t=$1
  local corpus=$build/fuzz/corpus/$t
  local dirs=("$corpus")
  for d in "$build/fuzz/seeds/$t" "$root/tests/fuzz/seeds/$t"; do
    [ -d "$d" ] && dirs+=("$d")
  done
  mkdir -p "$corpus"
  # The settings targets read menu keys behind the file's records: leave room for them.
  local extra=()
  case $t in
    config) extra=(-max_len=1624) ;;
    hiscore) extra=(-max_len=18520) ;;
  esac
  # Paths are absolute: the targets work in a folder of their own.
  LSAN_OPTIONS=suppressions=$root/tests/lsan.supp \
    "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/fuzz/findings/$t-" ${extra[@]+"${extra[@]}"} "${dirs[@]}" \
      >"$build/fuzz/logs/$t.log" 2>&1
  echo $? >"$build/fuzz/logs/$t.rc"
}

running=0
for t in "${targets[@]}"; do
  if [ ! -x "$build/tests/fuzz/fuzz_$t" ]; then
    echo "fuzz: no target fuzz_$t (build the fuzz preset first)" >&2
    exit 2
  fi
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

failed=0
printf '%-14s %12s %10s %8s  %s\n' target executions exec/s corpus result
for t in "${targets[@]}"; do
  log=$build/fuzz/logs/$t.log
  rc=$(cat "$build/fuzz/logs/$t.rc")
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  files=$(find "$build/fuzz/corpus/$t" -type f | wc -l)
  result=ok
  if [ "$rc" != 0 ]; then
    result="FAILED (exit $rc): $(grep -m1 -E 'ERROR|SUMMARY|Test unit written' "$log")"
    failed=1
  fi
  printf '%-14s %12s %10s %8s  %s\n' "$t" "${execs:-?}" "${rate:-?}" "$files" "$result"
done
if [ "$failed" != 0 ]; then
  echo "fuzz: findings in $build/fuzz/findings/, logs in $build/fuzz/logs/" >&2
  exit 1
fi
