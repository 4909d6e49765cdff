# The full-screen saver over a known desktop: its first picture is the
# desktop, the animation changes only part of it, the pointer is hidden, and
# a key, a click or pointer travel over 4 pixels ends it (4 does not).
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

if run_saver; then
  early=$("$XPROBE" changed "$WORK/desktop")
  [ "$early" -ge 0 ] && [ "$early" -lt $((total / 20)) ] &&
    pass "first picture is the desktop ($early pixels drawn since)" ||
    fail "first picture differs from the desktop in $early pixels"
  if later=$("$XPROBE" wait-change "$WORK/desktop" 5 200); then
    [ "$later" -lt $((total / 2)) ] &&
      pass "animation draws over part of the desktop ($later pixels)" ||
      fail "animation changed $later of $total pixels at once"
  else
    fail "nothing drawn within 5 s"
  fi
  "$XPROBE" cursor-hidden && pass "pointer hidden" || fail "pointer shown"
  xdotool key x
  wait_exit "$SAVER" 3
  [ "$RC" -eq 0 ] && pass "key ends it with 0" || fail "key: exit $RC"
fi

if run_saver; then
  xdotool click 1
  wait_exit "$SAVER" 3
  [ "$RC" -eq 0 ] && pass "click ends it with 0" || fail "click: exit $RC"
fi

if run_saver; then
  sleep 0.3
  xdotool mousemove_relative 2 2
  wait_exit "$SAVER" 1.5
  if [ "$RC" -eq 124 ]; then
    pass "travel of 4 pixels leaves it running"
    # wait_exit killed it; travel 5 in two steps on a new run.
    if run_saver; then
      sleep 0.3
      xdotool mousemove_relative 2 2
      sleep 0.3
      xdotool mousemove_relative 1 0
      wait_exit "$SAVER" 3
      [ "$RC" -eq 0 ] && pass "travel adding up to 5 pixels ends it" ||
        fail "travel of 5: exit $RC"
    fi
  else
    fail "travel of 4 pixels ended it (exit $RC)"
  fi
fi
finish
