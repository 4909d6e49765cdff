#!/usr/bin/env bash
# CPU and memory of the native full-screen saver with one 1920x1080 monitor
# and with two side by side, on Xorg with the dummy driver (the one headless
# server that shows two monitors, tests/e2e/lib.sh), over the same
# desktop picture. CPU and resident memory are summed over the program and
# the saver it starts for each monitor; resident memory counts the pages of
# shared libraries once per process, proportional memory (Pss) shares them.
# With SHOT=FILE it saves the two-monitor screen at the end of its run.
# Usage: bench/x11_monitors_figures.sh GUSHMIRE XPROBE [SECONDS]
set -u
gushmire=$(realpath "$1")
xprobe=$(realpath "$2")
seconds=${3:-60}
source "$(dirname "$0")/../tests/e2e/lib.sh"
source "$(dirname "$0")/proc.sh"
work=$(mktemp -d)
x_pid=
saver=
cleanup() {
  [ -n "$saver" ] && kill "$saver" 2>/dev/null && wait "$saver" 2>/dev/null
  [ -n "$x_pid" ] && kill "$x_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT


hz=$(getconf CLK_TCK)
printf '%-9s %9s %6s %12s %10s %10s\n' monitors processes cpu% \
  peak_rss_MB rss_MB pss_MB
for monitors in 1 2; do
  start_xorg_dummy "$work/xorg$monitors" 3840 1080 490 589 || exit 1
  export DISPLAY=$x_display
  if [ "$monitors" -eq 1 ]; then
    xrandr --fb 1920x1080 --output DUMMY0 --mode 1920x1080 --pos 0x0
  else
    two_outputs 3840x1080 1920x1080 0x0 1920x1080 1920x0
  fi >/dev/null || exit 1
  "$xprobe" desktop
  "$gushmire" /s 2>/dev/null &
  saver=$!
  sleep 2 # the savers are up and past their first picture
  before=$(ticks $(tree "$saver"))
  sleep "$seconds"
  after=$(ticks $(tree "$saver"))
  cpu=$(awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "%.2f", 100 * t / hz / s }')
  printf '%-9s %9s %6s %12s %10s %10s\n' "$monitors" \
    "$(tree "$saver" | wc -w)" "$cpu" \
    "$(memory VmHWM status $(tree "$saver"))" \
    "$(memory VmRSS status $(tree "$saver"))" \
    "$(memory Pss smaps_rollup $(tree "$saver"))"
  if [ "$monitors" -eq 2 ] && [ -n "${SHOT:-}" ]; then
    import -window root "$SHOT"
  fi
  kill "$saver"; wait "$saver" 2>/dev/null; saver=
  kill "$x_pid"; timeout 10 tail --pid="$x_pid" -f /dev/null; x_pid=
done
