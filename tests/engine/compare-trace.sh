#!/usr/bin/env bash
# Runs gushmire-trace natively and as the Windows build (under Wine) with the
# same arguments and fails unless both print the same state on every step:
#   compare-trace.sh NATIVE_TRACE WINDOWS_COMMAND... -- TRACE_ARGS...
# WINDOWS_COMMAND is the whole command that starts the Windows program, for
# example: wine-run.sh STATE wine build/mingw/tools/trace/gushmire-trace.exe
set -uo pipefail

native="${1:?usage: compare-trace.sh NATIVE_TRACE WINDOWS_COMMAND... -- ARGS...}"
shift
windows=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  windows+=("$1")
  shift
done
[ $# -gt 0 ] && [ "${#windows[@]}" -gt 0 ] || {
  echo "compare-trace: usage: compare-trace.sh NATIVE_TRACE WINDOWS_COMMAND... -- ARGS..." >&2
  exit 2
}
shift

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$native" "$@" >"$work/native.txt"
native_status=$?
"${windows[@]}" "$@" | tr -d '\r' >"$work/windows.txt"
windows_status=${PIPESTATUS[0]}
if [ "$native_status" -ne 0 ] || [ "$windows_status" -ne 0 ] ||
   [ ! -s "$work/native.txt" ]; then
  echo "compare-trace: exit status native $native_status, windows $windows_status, $(wc -l <"$work/native.txt") native lines ($*)" >&2
  exit 1
fi
if cmp -s "$work/native.txt" "$work/windows.txt"; then
  echo "compare-trace: $(wc -l <"$work/native.txt") identical steps ($*)"
  exit 0
fi
# Show the first step that differs, native first.
diff "$work/native.txt" "$work/windows.txt" | head -n 4 >&2
echo "compare-trace: traces differ ($*)" >&2
exit 1
