# Shared by the X11 end-to-end scripts: a private Xvfb per script, bounded
# waits, and cleanup of exactly the processes the script started.
# Usage: source lib.sh; the script gets $GUSHMIRE and $XPROBE from argv.
set -u
GUSHMIRE=$1
XPROBE=$2
WORK=$(mktemp -d)
PIDS=()
source "$(dirname "${BASH_SOURCE[0]}")/../report.sh"
XVFB_PID=

cleanup() {
  local pid
  for pid in "${PIDS[@]}" $XVFB_PID; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${PIDS[@]}" $XVFB_PID; do
    wait "$pid" 2>/dev/null
  done
  rm -rf "$WORK"
}
trap cleanup EXIT


# start_xvfb WIDTHxHEIGHTxDEPTH [SERVER ARGS...]: a new server on a free
# display.
start_xvfb() {
  local fifo=$WORK/displayfd
  : >"$fifo"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset "${@:2}" 3>"$fifo" \
    2>"$WORK/xvfb.log" &
  XVFB_PID=$!
  local i
  for i in $(seq 100); do
    if [ -s "$fifo" ]; then
      export DISPLAY=:$(head -n1 "$fifo")
      return 0
    fi
    sleep 0.05
  done
  echo "Xvfb did not start"; cat "$WORK/xvfb.log"
  exit 1
}

stop_xvfb() {
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}

# start_saver ARGS...: runs gushmire in the background; sets SAVER.
start_saver() {
  "$GUSHMIRE" "$@" >"$WORK/saver.log" 2>&1 &
  SAVER=$!
  PIDS+=("$SAVER")
}

# wait_exit PID SECONDS: waits for the process to end; sets RC (124 when it
# is still running, then it is killed).
wait_exit() {
  local pid=$1 i steps
  steps=$(awk "BEGIN { print int($2 * 20) }")
  for i in $(seq "$steps"); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" 2>/dev/null
      RC=$?
      return 0
    fi
    sleep 0.05
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  RC=124
}

# Waits up to 5 s for the full-screen saver's window.
wait_saver_window() {
  "$XPROBE" wait-window "Screen Saver" 5 >/dev/null
}

# host_window W H [RRGGBB]: a window of the test's own; sets ID and HOST.
host_window() {
  : >"$WORK/host" # not the last window's id before the new one is written
  "$XPROBE" window "$@" >"$WORK/host" &
  HOST=$!
  PIDS+=("$HOST")
  local i
  for i in $(seq 100); do [ -s "$WORK/host" ] && break; sleep 0.05; done
  ID=$(head -n1 "$WORK/host")
}

# draws_over_part WHAT TOTAL SECONDS MIN: within SECONDS at least MIN
# pixels differ from $WORK/desktop, and fewer than half of the TOTAL.
draws_over_part() {
  local drawn
  if drawn=$("$XPROBE" wait-change "$WORK/desktop" "$3" "$4"); then
    [ "$drawn" -lt $(($2 / 2)) ] &&
      pass "$1: animation draws over part of the desktop ($drawn pixels)" ||
      fail "$1: $drawn of $2 pixels differ from the desktop at once"
  else
    fail "$1: nothing drawn within $3 s"
  fi
}

# Puts the pointer at (X, Y) without --sync (it stalls when already there).
pointer_to() { xdotool mousemove "$1" "$2"; sleep 0.2; }

# wait_drawn WINDOW BEFORE: waits up to 5 s for the window to differ from the
# picture saved in BEFORE; sets CHANGED to the pixels changed (false when
# nothing was drawn).
wait_drawn() {
  CHANGED=$("$XPROBE" wait-change "$2" 5 1 "$1")
}

# Every process below PID, deepest first.
descendants() {
  local child
  for child in $(ps -o pid= --ppid "$1"); do
    descendants "$child"
    echo "$child"
  done
}
# hack_under PID: the pid of a gushmire below PID, if any.
hack_under() {
  local pid
  for pid in $(descendants "$1"); do
    [ "$(ps -o comm= -p "$pid")" = gushmire ] && echo "$pid" && return 0
  done
  return 1
}
# wait_hack PID SECONDS: sets HACK to the gushmire below PID once it runs.
wait_hack() {
  local i
  for i in $(seq $(($2 * 10))); do
    HACK=$(hack_under "$1") && return 0
    sleep 0.1
  done
  return 1
}
# drawing WHAT: the screen keeps changing while the hack runs.
drawing() {
  sleep 1
  "$XPROBE" snap "$WORK/frame"
  "$XPROBE" wait-change "$WORK/frame" 10 200 >/dev/null &&
    pass "$1: Gushmire is seen drawing" || fail "$1: the screen stays still"
}
# gone WHAT PID: the hack process has ended within 5 s.
gone() {
  local i
  for i in $(seq 50); do
    kill -0 "$2" 2>/dev/null || { pass "$1: the hack is gone"; return 0; }
    sleep 0.1
  done
  fail "$1: the hack still runs"
}
# XScreenSaver runs no hack as root: under root its programs run as nobody
# (through "${AS_USER[@]}"), with a home of the test's own in $HOME.
run_as_daemon_user() {
  export HOME=$WORK/home
  mkdir -p "$HOME"
  AS_USER=()
  if [ "$(id -u)" -eq 0 ]; then
    chmod 755 "$WORK"
    chown nobody "$HOME"
    AS_USER=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
  fi
}
