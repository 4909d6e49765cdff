# shellcheck shell=bash
# Shared by the X11 end-to-end scripts, each on a private Xvfb
# (start_xvfb): the saver and windows of the test's own, read back with
# xprobe, and the hack under a daemon.
# Usage: source lib.sh; the script gets $GUSHMIRE and $XPROBE from argv.
set -u
GUSHMIRE=$1
XPROBE=$2
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
begin_suite

# start_saver ARGS...: runs gushmire in the background; sets SAVER.
start_saver() {
  "$GUSHMIRE" "$@" >"$WORK/saver.log" 2>&1 &
  SAVER=$!
  PIDS+=("$SAVER")
}

# wait_exit PID SECONDS: waits for the process to end; sets RC (124 when it
# is still running, then it is killed).
wait_exit() {
  if wait_until "$2" eval "! running $1"; then
    wait "$1" 2>/dev/null
    RC=$?
  else
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    RC=124
  fi
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
  wait_until 5 test -s "$WORK/host"
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
wait_hack() { wait_until "$2" eval "HACK=\$(hack_under $1)"; }
# drawing WHAT: the screen keeps changing while the hack runs.
drawing() {
  sleep 1
  "$XPROBE" snap "$WORK/frame"
  "$XPROBE" wait-change "$WORK/frame" 10 200 >/dev/null &&
    pass "$1: Gushmire is seen drawing" || fail "$1: the screen stays still"
}
# gone WHAT PID: the hack process has ended within 5 s.
gone() {
  wait_until 5 eval "! kill -0 $2 2>/dev/null" && pass "$1: the hack is gone" ||
    fail "$1: the hack still runs"
}
# XScreenSaver runs no hack as root: under root its programs run as nobody
# (through "${AS_USER[@]}"), with a home of the test's own in $HOME.
run_as_daemon_user() {
  export HOME=$WORK/home
  mkdir -p "$HOME"
  as_nobody_under_root
  [ "${#AS_USER[@]}" -eq 0 ] || chown nobody "$HOME"
}
