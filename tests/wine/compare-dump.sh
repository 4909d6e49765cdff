#!/usr/bin/env bash
# Runs a dump program under Wine and compares its output with the recorded
# data: compare-dump.sh PROGRAM.exe EXPECTED.txt
set -euo pipefail

program="${1:?usage: compare-dump.sh PROGRAM.exe EXPECTED.txt}"
expected="${2:?usage: compare-dump.sh PROGRAM.exe EXPECTED.txt}"
source "$(dirname "$0")/wine-env.sh"
need "$program"
actual="$(mktemp)"
trap 'rm -f "$actual"' EXIT
# The Windows C runtime writes CR LF.
timeout 240 wine "$program" | tr -d '\r' >"$actual"
if ! cmp -s "$actual" "$expected"; then
  echo "compare-dump: $(basename "$program") differs from $expected;" \
    "first differing lines (recorded <, now >):" >&2
  diff "$expected" "$actual" | cut -c1-200 | head -20 >&2
  exit 1
fi
echo "compare-dump: $(basename "$program") matches $(wc -l <"$expected") recorded lines"
