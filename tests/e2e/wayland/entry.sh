#!/usr/bin/env bash
# How the native program picks its display, without a compositor: what it
# says and its exit code when nothing is set, when a forced backend or a
# named display is not there, and that a named X window takes X11 even in a
# Wayland session. (Every combination of variables: DisplayChoice in
# options_test; here the messages and codes.)
# Usage: entry.sh GUSHMIRE
source "$(dirname "$0")/lib.sh"
GUSHMIRE=$1
# try CODE TEXT ENV... -- ARGS...: gushmire ARGS with exactly ENV exits
# with CODE and says TEXT on stderr.
try() {
  local code=$1 text=$2 env=() rc
  shift 2
  while [ "$1" != -- ]; do env+=("$1"); shift; done
  shift
  env -i "${env[@]}" XDG_RUNTIME_DIR="$RUNTIME" "$GUSHMIRE" "$@" \
    >"$WORK/out" 2>&1 </dev/null
  rc=$?
  [ "$rc" -eq "$code" ] && grep -qF -- "$text" "$WORK/out" &&
    pass "${env[*]:-nothing set} $*: exit $code, \"$text\"" ||
    fail "${env[*]:-nothing set} $*: exit $rc, $(cat "$WORK/out")"
}
try 2 "WAYLAND_DISPLAY, WAYLAND_SOCKET and DISPLAY are empty or unset" -- /s
# A Wayland session that also sets DISPLAY: Wayland.
try 2 'cannot open the Wayland display "gushmire-none"' \
  WAYLAND_DISPLAY=gushmire-none DISPLAY=:97 -- --screen X /s
# An X window named: X11, whatever else is set.
try 2 'cannot open the X display ":97"' \
  WAYLAND_DISPLAY=gushmire-none DISPLAY=:97 -- -window-id 0x400001
try 2 'cannot open the X display ":97"' \
  WAYLAND_DISPLAY=gushmire-none DISPLAY=:97 XSCREENSAVER_WINDOW=0x400001 --
try 2 "an X window is named, but DISPLAY is empty or unset" \
  WAYLAND_DISPLAY=gushmire-none -- /p 4194305
# Forced.
try 2 'cannot open the X display' \
  WAYLAND_DISPLAY=gushmire-none DISPLAY=:97 -- --backend x11 /s
try 2 'cannot open the Wayland display' DISPLAY=:97 -- /s --backend wayland
try 1 'no backend "mir" here (wayland or x11)' DISPLAY=:97 -- --backend mir /s
try 1 'a value is missing after "--backend"' DISPLAY=:97 -- /s --backend
finish
