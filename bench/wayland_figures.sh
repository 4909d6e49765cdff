#!/usr/bin/env bash
# Figures of the native saver on headless sway, next to the same program on
# Xvfb measured in the same run: CPU use over a run as a share of one core
# and peak resident memory, for the saver of one output (HEADLESS-1, scale
# 1, at each size) and for the parent that runs one saver per output; then,
# on the same sway, the same for `gushmire --lock`: the saver of HEADLESS-1
# (a child of the holder) and the holder itself. The lock checks passwords
# through pam_wrapper and pam_matrix (never a real account) and is unlocked
# by typing the password through wtype at the end. --lock needs sway 1.8 or
# later and libpam-wrapper; without them its columns read "-".
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

# measure PARENT LOG: waits for PARENT's saver of HEADLESS-1 (its child:
# other savers may run on the machine), lets it start, and adds to FIGURES
# the CPU share over $seconds and the peak RSS of that saver, then of
# PARENT. Ends the script (and so the processes in PIDS) without a saver.
measure() {
  local saver t0 p0
  wait_until 5 pgrep -P "$1" -f -- "--screen HEADLESS-1 " >/dev/null || {
    echo "no saver: $(tail -n 3 "$2")"
    exit 1
  }
  saver=$(pgrep -P "$1" -f -- "--screen HEADLESS-1 ")
  sleep 2 # past the start: the steady drawing is what counts
  t0=$(ticks "$saver") p0=$(ticks "$1")
  sleep "$seconds"
  FIGURES+=("$(share $(($(ticks "$saver") - t0)))" "$(peak "$saver")"
    "$(share $(($(ticks "$1") - p0)))" "$(peak "$1")")
}
none_running() {
  local pid
  for pid in "$@"; do ! running "$pid" || return 1; done
}

# lock_figures: `gushmire --lock` on the running sway, measured as above,
# then unlocked with the password (or killed, and said so on stderr).
# Sway outlives the lock and ends with the script (a killed holder would
# leave the session locked).
lock_figures() {
  local pam_wrapper pam_matrix version holder savers password='bench 1 pass'
  pam_wrapper=$(find /usr/lib -name libpam_wrapper.so -print -quit 2>/dev/null)
  pam_matrix=$(find /usr/lib -name pam_matrix.so -print -quit 2>/dev/null)
  version=$(as_client swaymsg -t get_version -r | python3 -c '
import json, sys; v = json.load(sys.stdin); print(v["major"] * 100 + v["minor"])')
  if [ -z "$pam_wrapper" ] || [ -z "$pam_matrix" ] || [ "$version" -lt 108 ] ||
    ! command -v wtype >/dev/null; then
    FIGURES+=(- - - -)
    return 0
  fi
  # The service "gushmire" as pam_wrapper finds it; the compositor's user
  # is the one account pam_matrix knows.
  mkdir -p "$WORK/pam"
  printf 'auth required %s\naccount required %s\n' "$pam_matrix" \
    "$pam_matrix" >"$WORK/pam/gushmire"
  echo "$(as_client id -un):$password:gushmire" >"$WORK/pam/passdb"
  chmod -R a+rX "$WORK/pam"
  start_client "$WORK/lock.log" LD_PRELOAD="$pam_wrapper" PAM_WRAPPER=1 \
    PAM_WRAPPER_SERVICE_DIR="$WORK/pam" \
    PAM_MATRIX_PASSWD="$WORK/pam/passdb" "$GUSHMIRE" --lock
  holder=$CLIENT
  measure "$holder" "$WORK/lock.log"
  mapfile -t savers < <(pgrep -P "$holder")
  # A key for the prompt, the password, Return: the holder ends with 0.
  send_keys Shift_L && sleep 1 && as_client wtype -s 300 "$password" &&
    send_keys Return
  if ! wait_until 10 eval "! running $holder"; then
    echo "--lock did not unlock: killed" >&2
    kill -KILL "$holder"
  fi
  wait "$holder" 2>/dev/null
  # The savers end with the holder (they would with a killed one, too).
  wait_until 5 none_running "${savers[@]}" ||
    { echo "savers left: ${savers[*]}" >&2; kill -KILL "${savers[@]}"; }
}

echo "Wayland (headless sway, pixman), ${seconds} s each: /s, then --lock"
printf '%-10s %9s %8s %10s %9s %9s %8s %10s %9s\n' size saver_cpu% \
  saver_MB parent_cpu% parent_MB lock_cpu% lock_MB holder_cpu% holder_MB
for size in "${sizes[@]}"; do
  (
    OUTPUT_MODE=$size
    # shellcheck source=../tests/e2e/wayland/lib.sh
    source "$here/../tests/e2e/wayland/lib.sh"
    GUSHMIRE=$(reachable "$gushmire_built")
    VPOINTER=$(reachable "$vpointer_built")
    start_sway >/dev/null
    hold_pointer
    pointer=${PIDS[-1]}
    point move 10 10
    client_env
    "${CLIENT_ENV[@]}" "$GUSHMIRE" /s >"$WORK/saver.log" 2>&1 &
    parent=$!
    PIDS+=("$parent")
    FIGURES=()
    measure "$parent" "$WORK/saver.log"
    stop_pid "$parent"
    # The pointer goes first: while vpointer held one, the password typed
    # through wtype was refused (sway 1.10).
    exec 7>&-
    stop_pid "$pointer"
    lock_figures
    printf '%-10s %9s %8s %10s %9s %9s %8s %10s %9s\n' "$size" \
      "${FIGURES[@]}"
  )
done
echo
echo "X11 (Xvfb), ${seconds} s each:"
bash "$here/x11_figures.sh" "$gushmire_built" "$xprobe" "$seconds" "${sizes[@]}"
