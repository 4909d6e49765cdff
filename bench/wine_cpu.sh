#!/usr/bin/env bash
# CPU time of the Windows build's full-screen saver under Wine:
#   bench/wine_cpu.sh [MINGW_BUILD_DIR] [SECONDS]
# Starts its own Xvfb at 1920x1080x24 and a fresh Wine prefix, runs
# gushmire.scr /s, and after the window is up measures for SECONDS (60) the
# user+system CPU time of the saver's process, of wineserver and of Xvfb
# (from /proc/PID/stat), printed as seconds and as % of one core.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/mingw}"
seconds="${2:-60}"
saver="$build/gushmire.scr"
wine_scripts="$root/tests/e2e/wine"
source "$wine_scripts/lib.sh"
source "$root/bench/proc.sh"
need "$saver"
state="$(mktemp -d "${TMPDIR:-/tmp}/gushmire-cpu.XXXXXX")"
saver_pid=""
stop() {
  # The saver has usually ended by now; a failing kill must not end the
  # clean-up under set -e.
  [ -z "$saver_pid" ] || kill "$saver_pid" 2>/dev/null || true
  bash "$wine_scripts/wine-env-stop.sh" "$state"
  rm -rf "$state"
}
trap stop EXIT

bash "$wine_scripts/wine-env-start.sh" "$state" 1920x1080x24 >/dev/null
wine_env "$state"
xvfb="$(cat "$state/xvfb.pid")"

# Process ids by command line, among the processes of our prefix only.
ours() {
  local pid
  for pid in $(grep -lsF "$1" /proc/[0-9]*/cmdline | cut -d/ -f3); do
    if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" |
      grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      echo "$pid"
    fi
  done
  return 0
}

cp "$saver" "$state/gushmire.scr"
xdotool mousemove 960 540
wine "$state/gushmire.scr" /s &
saver_pid=$!
for _ in $(seq 1 300); do
  xdotool search --name '^Screen Saver$' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 3 # past start-up, into the steady animation
# The saver's own process: of those running it, the one that works.
busiest=0
for pid in $(ours gushmire.scr); do
  used="$(ticks "$pid" 2>/dev/null)" || used=0
  if [ "$used" -ge "$busiest" ]; then
    busiest="$used"
    saver_pid="$pid"
  fi
done
server="$(ours wineserver | head -1)"
[ -n "$server" ] || {
  echo "wine_cpu: no wineserver found" >&2
  exit 1
}

before=("$(ticks "$saver_pid")" "$(ticks "$server")" "$(ticks "$xvfb")")
sleep "$seconds"
after=("$(ticks "$saver_pid")" "$(ticks "$server")" "$(ticks "$xvfb")")
xdotool key space

hz="$(getconf CLK_TCK)"
echo "gushmire.scr /s under $(wine --version) on Xvfb 1920x1080x24," \
  "${seconds} s:"
names=("gushmire.scr" "wineserver" "Xvfb")
for i in 0 1 2; do
  used=$((after[i] - before[i]))
  awk -v name="${names[i]}" -v t="$used" -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "  %-13s %7.2f s CPU  %6.2f %% of one core\n",
             name, t / hz, 100 * t / hz / s }'
done
