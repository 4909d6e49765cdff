# The full-screen saver on one server: over a known desktop its first
# picture is the desktop, the animation changes only part of it, the pointer
# is hidden, and a key, a click or pointer travel over 4 pixels ends it (4
# does not). One runs at a time, even when two start together; a burst of
# input ends it once; SIGTERM and SIGINT leave nothing behind; the server
# killed under it ends it within a second.
source "$(dirname "$0")/lib.sh"
start_xvfb 640x480x24
"$XPROBE" desktop
"$XPROBE" snap "$WORK/desktop"
total=$((640 * 480))

# run_saver: starts /s with the pointer at (100, 100), waits for its window.
run_saver() {
  pointer_to 100 100
  start_saver /s
  wait_saver_window || { fail "no saver window"; return 1; }
}
# ends WHAT SECONDS CODE: the saver ends within SECONDS with CODE.
ends() {
  wait_exit "$SAVER" "$2"
  [ "$RC" -eq "$3" ] && pass "$1 ends it with $3" || fail "$1: exit $RC"
}

if run_saver; then
  early=$("$XPROBE" wait-change "$WORK/desktop" 0 0)
  [ "$early" -ge 0 ] && [ "$early" -lt $((total / 20)) ] &&
    pass "first picture is the desktop ($early pixels drawn since)" ||
    fail "first picture differs from the desktop in $early pixels"
  draws_over_part "full screen" "$total" 5 200
  "$XPROBE" cursor-hidden && pass "pointer hidden" || fail "pointer shown"
  # A second start raises the running saver over a window that covers it.
  host_window 100 80
  sleep 0.5
  "$XPROBE" top-title "xprobe preview host" || fail "cover window not on top"
  timeout 10 "$GUSHMIRE" /s >/dev/null 2>&1 || fail "second start: exit $?"
  kill -0 "$SAVER" 2>/dev/null || fail "first saver ended"
  "$XPROBE" top-title "Screen Saver" && pass "running saver raised to the top" ||
    fail "running saver not raised"
  kill "$HOST"
  xdotool key x
  ends "a key" 3 0
fi

if run_saver; then
  xdotool click 1
  ends "a click" 3 0
fi

if run_saver; then
  sleep 0.3
  xdotool mousemove_relative 2 2
  sleep 1
  kill -0 "$SAVER" 2>/dev/null && pass "travel of 4 pixels leaves it running" ||
    fail "travel of 4 pixels ended it"
  xdotool mousemove_relative 1 0
  ends "travel adding up to 5 pixels" 3 0
fi

# Two started together, five times: one window, the one that gives way
# exits 0 at once, and the other ends on a key.
pointer_to 100 100
for run in 1 2 3 4 5; do
  start_saver /s
  first=$SAVER
  start_saver /s
  wait_saver_window
  sleep 1
  windows=$("$XPROBE" wait-window "Screen Saver" 1 | wc -l)
  [ "$windows" -eq 1 ] || fail "run $run: $windows saver windows"
  for pid in "$first" "$SAVER"; do
    kill -0 "$pid" 2>/dev/null && running=$pid && continue
    wait_exit "$pid" 1
    [ "$RC" -eq 0 ] || fail "run $run: the one that gave way exited $RC"
  done
  xdotool key x
  wait_exit "$running" 3
  [ "$RC" -eq 0 ] || fail "run $run: exit $RC after a key"
done
pass "two started together: one saver each time"

# 10^5 events at once: the first ends it, the rest find nothing to end.
if run_saver; then
  "$XPROBE" burst 100000 || fail "burst not sent"
  ends "a burst of 10^5 input events" 10 0
  grep -q . "$WORK/saver.log" && fail "burst: $(cat "$WORK/saver.log")"
fi

# Full screen takes no signals of its own: they end it, and the server
# takes its window; keyboard and pointer are free. (A shell starts its
# background jobs with SIGINT ignored: give the saver the default back.)
for signal in TERM INT; do
  pointer_to 100 100
  env --default-signal=INT "$GUSHMIRE" /s >"$WORK/saver.log" 2>&1 &
  SAVER=$!
  PIDS+=("$SAVER")
  wait_saver_window || { fail "SIG$signal: no saver window"; continue; }
  kill "-$signal" "$SAVER"
  wait_exit "$SAVER" 1
  [ "$RC" -ne 124 ] && pass "SIG$signal ends /s (status $RC)" ||
    fail "SIG$signal: still running"
  sleep 0.2
  "$XPROBE" wait-window "Screen Saver" 0 >/dev/null &&
    fail "SIG$signal: window left" || pass "SIG$signal: window gone"
  "$XPROBE" grab 0 && pass "SIG$signal: keyboard and pointer free" ||
    fail "SIG$signal: input still held"
done

# The server killed mid-run: the saver ends within a second, cleanly.
if run_saver; then
  sleep 0.5
  kill -9 "$XVFB_PID"
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
  wait_exit "$SAVER" 1
  if [ "$RC" -eq 124 ]; then
    fail "still running a second after the server died"
  elif [ "$RC" -ge 128 ]; then
    fail "killed by signal $((RC - 128))"
  else
    pass "server killed: ends with $RC within a second"
  fi
  grep -q "display went away" "$WORK/saver.log" && pass "says why" ||
    fail "no message: $(cat "$WORK/saver.log")"
  rm -f "/tmp/.X11-unix/X${DISPLAY#:}"
fi
finish
