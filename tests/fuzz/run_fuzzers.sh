#!/usr/bin/env bash
# Runs each fuzzer of a GUSHMIRE_FUZZ build for up to RUNS executions or
# SECONDS_EACH seconds, whichever comes first, then merges what raised
# coverage into the committed corpus (minimised with -merge=1).
#   tests/fuzz/run_fuzzers.sh BUILD_DIR [name...]
# Findings (crash-*, leak-*, timeout-*) are left in BUILD_DIR/fuzz-work/.
set -euo pipefail
build=${1:?usage: run_fuzzers.sh BUILD_DIR [name...]}
shift
here=$(cd "$(dirname "$0")" && pwd)
runs=${RUNS:-10000000}
seconds=${SECONDS_EACH:-3600}
# A wall-clock limit per input: on a loaded machine a job at nice 19 can
# wait seconds for a core, so raise it there (TIMEOUT=120).
timeout=${TIMEOUT:-10}
names=("$@")
[ ${#names[@]} -gt 0 ] ||
  names=(dialog_template registry resources png_background command_line)
for name in "${names[@]}"; do
  work="$build/fuzz-work/$name"
  mkdir -p "$work/new"
  echo "== $name: up to $runs runs or $seconds s"
  (cd "$work" &&
    nice -n 19 "$build/tests/fuzz/fuzz_$name" -runs="$runs" \
      -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 \
      -print_final_stats=1 new "$here/corpus/$name") >"$work/log.txt" 2>&1 ||
    echo "$name: fault found, see $work"
  grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|Done|==.*ERROR)" \
    "$work/log.txt" || true
  nice -n 19 "$build/tests/fuzz/fuzz_$name" -merge=1 "$here/corpus/$name" \
    "$work/new" >"$work/merge.txt" 2>&1 || echo "$name: merge failed"
done
