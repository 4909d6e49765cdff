# The X server killed mid-run: the saver ends within a second, cleanly.
source "$(dirname "$0")/lib.sh"
start_xvfb 320x240x24
start_saver /s
wait_saver_window || { fail "no saver window"; finish; }
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
  pass "ends with $RC within a second"
fi
grep -q "display went away" "$WORK/saver.log" && pass "says why" ||
  fail "no message: $(cat "$WORK/saver.log")"
rm -f "/tmp/.X11-unix/X${DISPLAY#:}"
finish
