#!/usr/bin/env bash
# Figures of the native saver on headless sway, next to the same program on
# Xvfb measured in the same run: CPU use over a run as a share of one core
# and peak resident memory, for the saver of one output (HEADLESS-1, scale
# 1, at each size) and for the parent that runs one saver per output.
# Usage: bench/wayland_figures.sh GUSHMIRE VPOINTER XPROBE [SECONDS] [SIZES...]
set -u
here=$(dirname "$(realpath "$0")")
gushmire_built=$(realpath "$1")
vpointer_built=$(realpath "$2")
xprobe=$(realpath "$3")
seconds=${4:-60}
shift $(( $# >= 4 ? 4 : 3 ))
sizes=("$@")
[ ${#sizes[@]} -eq 0 ] && sizes=(1920x1080 3840x2160)

source "$(dirname "$0")/proc.sh"
peak() { memory VmHWM status "$1"; }
share() { awk -v t="$1" -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
  'BEGIN { printf "%.2f", 100 * t / hz / s }'; }

echo "Wayland (headless sway, pixman), ${seconds} s each:"
printf '%-10s %9s %10s %10s %10s\n' size saver_cpu% saver_MB parent_cpu% \
  parent_MB
for size in "${sizes[@]}"; do
  (
    OUTPUT_MODE=$size
    # shellcheck source=../tests/e2e/wayland/lib.sh
    source "$here/../tests/e2e/wayland/lib.sh"
    GUSHMIRE=$(reachable "$gushmire_built")
    VPOINTER=$(reachable "$vpointer_built")
    start_sway >/dev/null
    hold_pointer
    point move 10 10
    client_env
    "${CLIENT_ENV[@]}" "$GUSHMIRE" /s >"$WORK/saver.log" 2>&1 &
    parent=$!
    PIDS+=("$parent")
    # The saver is the parent's child: other savers may run on the machine.
    wait_until 5 pgrep -P "$parent" -f -- "--screen HEADLESS-1 " >/dev/null ||
      { echo "no saver"; exit 1; }
    child=$(pgrep -P "$parent" -f -- "--screen HEADLESS-1 ")
    sleep 2 # past the start: the steady drawing is what counts
    child0=$(ticks "$child") parent0=$(ticks "$parent")
    sleep "$seconds"
    printf '%-10s %9s %10s %10s %10s\n' "$size" \
      "$(share $(($(ticks "$child") - child0)))" "$(peak "$child")" \
      "$(share $(($(ticks "$parent") - parent0)))" "$(peak "$parent")"
  )
done
echo
echo "X11 (Xvfb), ${seconds} s each:"
bash "$here/x11_figures.sh" "$gushmire_built" "$xprobe" "$seconds" "${sizes[@]}"
