#!/bin/bash
# The layer's include arrows, as Win32's import lists have them. The layer
# stands alone below engine, host, assets and the native entry; within it:
#   core/                   core/
#   kernel32/, advapi32/    core/
#   gdi32/                  core/, gdi32/        (never user32/)
#   user32/                 core/, gdi32/, user32/
#   backends/NAME/          core/ (the seam, core/backend.h, and the core
#                           pieces backends share: wait, the lock link),
#                           backends/NAME/
#   backends/wayland/       also password/ (the lock holder runs PAM's check)
#   password/               core/, gdi32/, user32/, password/
#                           (PASSWORD.CPL imports user32; PAM's check apart)
# A header without a folder is a public one (include/), or for the Wayland
# backend a protocol header that wayland-scanner makes.
root=$1
status=0
allowed() { # folder of the including file, header as written
  local from=$1 header=$2
  case "$header" in
  */*) ;;
  *)
    [ -f "$root/platform/include/$header" ] && return 0
    [[ $from == backends/wayland && $header == *-client-protocol.h ]]
    return
    ;;
  esac
  [ -f "$root/platform/$header" ] || return 1
  case "$from" in
  core | kernel32 | advapi32) [[ $header == core/* ]] ;;
  gdi32) [[ $header == core/* || $header == gdi32/* ]] ;;
  user32) [[ $header == core/* || $header == gdi32/* || $header == user32/* ]] ;;
  backends/wayland) [[ $header == core/* || $header == "$from"/* ||
    $header == password/* ]] ;;
  backends/*) [[ $header == core/* || $header == "$from"/* ]] ;;
  password) [[ $header == core/* || $header == gdi32/* || $header == user32/* ||
    $header == password/* ]] ;;
  include) false ;;
  *) false ;;
  esac
}
while IFS= read -r hit; do
  file=${hit%%:*}
  relative=${file#"$root"/platform/}
  from=${relative%%/*}
  [ "$from" = backends ] && from=backends/$(cut -d/ -f2 <<<"$relative")
  header=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"${hit#*:}")
  if ! allowed "$from" "$header"; then
    echo "platform/$relative includes \"$header\", which $from/ may not"
    status=1
  fi
done < <(grep -rH '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' \
  --include='*.cpp' --include='*.h' "$root/platform")
[ "$status" -eq 0 ] && echo "every include under platform/ follows the layer's arrows"
exit "$status"
