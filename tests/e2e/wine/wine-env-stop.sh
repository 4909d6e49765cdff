#!/usr/bin/env bash
# Stops what wine-env-start.sh started in STATE_DIR: the Wine server of its
# prefix and its X server. Safe to run twice.
set -uo pipefail

state="${1:?usage: wine-env-stop.sh STATE_DIR}"
if [ -d "$state/prefix" ]; then
  WINEPREFIX="$state/prefix" timeout 30 wineserver -k 2>/dev/null
  WINEPREFIX="$state/prefix" timeout 30 wineserver -w 2>/dev/null
fi
if [ -f "$state/xvfb.pid" ]; then
  pid="$(cat "$state/xvfb.pid")"
  kill "$pid" 2>/dev/null
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null
  rm -f "$state/xvfb.pid"
fi
rm -rf "$state/prefix"
exit 0
