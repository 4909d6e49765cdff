#!/bin/bash
# The layer stands alone below engine, host, assets and the native entry:
# every header a file under platform/ includes with quotes is one of the
# layer's own.
root=$1
status=0
while IFS= read -r hit; do
  file=${hit%%:*}
  header=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"${hit#*:}")
  if [ -z "$(find "$root/platform" -path "*/$header" -print -quit)" ]; then
    echo "${file#"$root"/} includes \"$header\", which is not the layer's"
    status=1
  fi
done < <(grep -rH '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$root/platform")
[ "$status" -eq 0 ] && echo "every include under platform/ is the layer's own"
exit "$status"
