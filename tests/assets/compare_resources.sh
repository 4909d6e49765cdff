#!/usr/bin/env bash
# Checks that both builds carry byte-identical resources: the native build's
# embedded table against what the Windows build's resource_dump finds linked
# into itself (run under Wine).
#   compare_resources.sh NATIVE_LISTER WINDOWS_DUMP_EXE
set -euo pipefail

native_lister="${1:?usage: compare_resources.sh NATIVE_LISTER WINDOWS_DUMP_EXE}"
windows_dump="${2:?usage: compare_resources.sh NATIVE_LISTER WINDOWS_DUMP_EXE}"
[ -f "$windows_dump" ] || {
  echo "compare_resources: $windows_dump not built" >&2
  exit 1
}

native="$("$native_lister")"
# The Windows C runtime writes CR LF.
windows="$(wine "$windows_dump" | tr -d '\r')"
if [ "$native" != "$windows" ]; then
  echo "resources differ (< native, > Windows):"
  diff <(printf '%s\n' "$native") <(printf '%s\n' "$windows") || true
  exit 1
fi
printf '%s\n' "$native"
echo "$(printf '%s\n' "$native" | wc -l) resources identical in both builds"
