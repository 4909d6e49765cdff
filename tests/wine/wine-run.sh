#!/usr/bin/env bash
# Runs a command inside the environment that wine-env-start.sh set up in
# STATE_DIR (its DISPLAY, WINEPREFIX and a quiet WINEDEBUG):
#   wine-run.sh STATE_DIR COMMAND [ARGS...]
set -euo pipefail

state="${1:?usage: wine-run.sh STATE_DIR COMMAND [ARGS...]}"
shift
[ -f "$state/display" ] || {
  echo "wine-run: no Wine environment in $state (did the setup test run?)" >&2
  exit 1
}
DISPLAY="$(cat "$state/display")"
export DISPLAY WINEPREFIX="$state/prefix" WINEDEBUG=-all
if [ -f "$state/ld_preload" ]; then
  LD_PRELOAD="$(cat "$state/ld_preload")"
  export LD_PRELOAD
fi
exec "$@"
