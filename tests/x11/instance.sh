# One full-screen saver at a time: a second start raises the running one
# and exits 0 at once.
source "$(dirname "$0")/lib.sh"
start_xvfb 320x240x24
pointer_to 10 10
start_saver /s
first=$SAVER
wait_saver_window || { fail "no saver window"; finish; }
"$XPROBE" window 100 80 >"$WORK/cover" &
PIDS+=($!)
sleep 0.5
"$XPROBE" top-title "xprobe preview host" || fail "cover window not on top"
timeout 10 "$GUSHMIRE" /s >/dev/null 2>&1
rc=$?
[ "$rc" -eq 0 ] && pass "second start exits 0" || fail "second start: exit $rc"
kill -0 "$first" 2>/dev/null && pass "first saver still runs" ||
  fail "first saver ended"
"$XPROBE" top-title "Screen Saver" && pass "running saver raised to the top" ||
  fail "running saver not raised"
xdotool key Escape
wait_exit "$first" 3
[ "$RC" -eq 0 ] && pass "first saver ends on a key" || fail "first: exit $RC"
finish
