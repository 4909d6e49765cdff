#!/usr/bin/env bash
# Runs a command with DISPLAY and WINEPREFIX on an X server that Wine sees
# as two monitors (lib.sh's two_monitors_start), inside wine-run.sh's
# environment:
#   on-two-monitors.sh COMMAND [ARGS...]
set -uo pipefail
source "$(dirname "$0")/lib.sh"
dir="$(mktemp -d "${TMPDIR:-/tmp}/two-monitors.XXXXXX")"
trap 'two_monitors_stop; rm -rf "$dir"' EXIT
two_monitors_start "$dir" || exit 1
"$@"
