#!/usr/bin/env bash
# Runs a command inside the environment that wine-env-start.sh set up in
# STATE_DIR (its DISPLAY, WINEPREFIX and a quiet WINEDEBUG):
#   wine-run.sh STATE_DIR COMMAND [ARGS...]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wine_env "${1:?usage: wine-run.sh STATE_DIR COMMAND [ARGS...]}"
shift
exec "$@"
