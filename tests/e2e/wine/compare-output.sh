#!/usr/bin/env bash
# Fails unless two commands both exit 0 and print the same lines (the CR LF
# of the Windows C runtime counts as LF); shows the first differences, the
# first command's lines as "<":
#   compare-output.sh COMMAND_A... -- COMMAND_B...
# A recording is compared as `cat RECORDED.txt`.
set -uo pipefail
a=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  a+=("$1")
  shift
done
[ "${#a[@]}" -gt 0 ] && [ $# -gt 1 ] || {
  echo "usage: compare-output.sh COMMAND_A... -- COMMAND_B..." >&2
  exit 2
}
shift
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
timeout 240 "${a[@]}" | tr -d '\r' >"$work/a"
status_a=${PIPESTATUS[0]}
timeout 240 "$@" | tr -d '\r' >"$work/b"
status_b=${PIPESTATUS[0]}
if [ "$status_a" -ne 0 ] || [ "$status_b" -ne 0 ] || [ ! -s "$work/a" ]; then
  echo "compare-output: exit status $status_a and $status_b," \
    "$(wc -l <"$work/a") lines from ${a[*]}" >&2
  exit 1
fi
if ! cmp -s "$work/a" "$work/b"; then
  diff "$work/a" "$work/b" | cut -c1-200 | head -20 >&2
  echo "compare-output: ${a[*]} and $* differ" >&2
  exit 1
fi
echo "compare-output: $(wc -l <"$work/a") identical lines"
