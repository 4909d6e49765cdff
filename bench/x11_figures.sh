#!/usr/bin/env bash
# Figures of the native saver on Xvfb: CPU use over a run, time until its
# window is up, peak resident memory. Prints one line per screen size.
# Usage: bench/x11_figures.sh GUSHMIRE XPROBE [SECONDS] [SIZES...]
set -u
gushmire=$(realpath "$1")
xprobe=$(realpath "$2")
seconds=${3:-60}
shift $(( $# >= 3 ? 3 : 2 ))
sizes=("$@")
[ ${#sizes[@]} -eq 0 ] && sizes=(1920x1080 3840x2160)
work=$(mktemp -d)
xvfb=
saver=
cleanup() {
  [ -n "$saver" ] && kill "$saver" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

ticks() { # user + system clock ticks of a process
  awk '{ print $14 + $15 }' "/proc/$1/stat"
}

printf '%-10s %8s %9s %9s %10s\n' size cpu% window_ms drawn_ms peak_rss_MB
hz=$(getconf CLK_TCK)
for size in "${sizes[@]}"; do
  : >"$work/fd"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset \
    3>"$work/fd" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 200); do [ -s "$work/fd" ] && break; sleep 0.05; done
  export DISPLAY=:$(head -n1 "$work/fd")
  "$xprobe" desktop
  "$xprobe" snap "$work/desktop"
  read -r saver window_ms < <("$xprobe" launch "Screen Saver" "$gushmire" /s)
  # The first animation step: the first pixels that differ from the desktop.
  start=$(date +%s%N)
  "$xprobe" wait-change "$work/desktop" 10 1 >/dev/null
  drawn_ms=$(( ($(date +%s%N) - start) / 1000000 ))
  before=$(ticks "$saver")
  sleep "$seconds"
  after=$(ticks "$saver")
  cpu=$(awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "%.2f", 100 * t / hz / s }')
  rss=$(awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$saver/status")
  printf '%-10s %8s %9s %9s %10s\n' "$size" "$cpu" "$window_ms" \
    "+$drawn_ms" "$rss"
  kill "$saver"; wait "$saver" 2>/dev/null; saver=
  kill "$xvfb"; wait "$xvfb" 2>/dev/null; xvfb=
done
