#!/usr/bin/env bash
# Figures of the native saver on Xvfb: CPU use over a run, time from exec
# until its window is up (and how much of that the process ran or waited for
# a core), until the first step drew, and peak resident memory, all summed
# over the program and the saver it starts for the screen. One line per
# screen size, then the resident memory sampled ten times over the run (a
# leak shows as growth between samples).
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

source "$(dirname "$0")/proc.sh"

printf '%-10s %6s %10s %11s %11s %9s %8s\n' size cpu% window_ms \
  of_it_run of_it_wait drawn_ms rss_MB
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
  read -r saver window_ms run_ms wait_ms < <("$xprobe" launch "Screen Saver" \
    "$gushmire" /s)
  # The first animation step: the first pixels that differ from the desktop.
  start=$(date +%s%N)
  "$xprobe" wait-change "$work/desktop" 10 1 >/dev/null
  drawn_ms=$(( ($(date +%s%N) - start) / 1000000 ))
  before=$(ticks $(tree "$saver"))
  samples=()
  for _ in $(seq 10); do
    sleep "$(awk -v s="$seconds" 'BEGIN { print s / 10 }')"
    samples+=("$(memory VmRSS status $(tree "$saver"))")
  done
  after=$(ticks $(tree "$saver"))
  cpu=$(awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "%.2f", 100 * t / hz / s }')
  rss=$(memory VmHWM status $(tree "$saver"))
  printf '%-10s %6s %10s %11s %11s %9s %8s\n' "$size" "$cpu" "$window_ms" \
    "$run_ms" "$wait_ms" "+$drawn_ms" "$rss"
  echo "  rss_MB every $(awk -v s="$seconds" 'BEGIN { print s / 10 }') s: ${samples[*]}"
  kill "$saver"; wait "$saver" 2>/dev/null; saver=
  kill "$xvfb"; wait "$xvfb" 2>/dev/null; xvfb=
done
