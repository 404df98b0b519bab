#!/usr/bin/env bash
# Builds every fuzz target of the portable core (clang, libFuzzer, ASan, UBSan) and runs
# each for SECONDS (default 15), starting from the seeds in tests/fuzz/seeds. A finding
# is kept in build/fuzz/findings and fails the run; every finding becomes a unit test row.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-15}

mkdir -p build/fuzz/findings
if ! { cmake --preset fuzz && cmake --build --preset fuzz; } >build/fuzz/build.log 2>&1; then
  echo "fuzz: the fuzz targets did not build:"
  grep -m 20 -A3 'error' build/fuzz/build.log || tail -n 30 build/fuzz/build.log
  exit 1
fi
status=0
for target in chat_text settings message_log capture_tick history_tail simulated_messenger spoken_form; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  cp tests/fuzz/seeds/$target/* "$corpus/"
  log=build/fuzz/$target.log
  if build/fuzz/${target}_fuzz -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="build/fuzz/findings/$target-" "$corpus" >"$log" 2>&1; then
    result=ok
  else
    result=FINDING
    status=1
    tail -n 30 "$log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
  echo "fuzz: $target: $result, ${runs:-?} runs in ${seconds}s, ${coverage:-cov: ?}, corpus $(ls "$corpus" | wc -l)"
done
exit $status
