# The full-screen saver on one server: over a known desktop its first
# picture is the desktop, the animation changes only part of it, the pointer
# is hidden, and a key ends it; a burst of input ends it once; SIGTERM and
# SIGINT end it with 0 and leave nothing behind; the server killed under it
# ends it within a second. (Clicks, pointer travel, a second start and two
# starts at once: monitors.sh, through the same one-saver-per-monitor
# program.)
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
  xdotool key x
  ends "a key" 3 0
fi

# 10^5 events at once: the first ends it, the rest find nothing to end.
if run_saver; then
  "$XPROBE" burst 100000 || fail "burst not sent"
  ends "a burst of 10^5 input events" 10 0
  grep -q . "$WORK/saver.log" && fail "burst: $(cat "$WORK/saver.log")"
fi

# SIGTERM and SIGINT end the saver of every monitor: windows gone,
# keyboard and pointer free. (A shell starts its background jobs with
# SIGINT ignored: give the saver the default back.)
for signal in TERM INT; do
  pointer_to 100 100
  env --default-signal=INT "$GUSHMIRE" /s >"$WORK/saver.log" 2>&1 &
  SAVER=$!
  PIDS+=("$SAVER")
  wait_saver_window || { fail "SIG$signal: no saver window"; continue; }
  kill "-$signal" "$SAVER"
  wait_exit "$SAVER" 1
  [ "$RC" -eq 0 ] && pass "SIG$signal ends /s with 0" ||
    fail "SIG$signal: status $RC"
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
