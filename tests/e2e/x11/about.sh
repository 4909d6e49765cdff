# The configure box (an About box) on X: a window of its own, drawn (text,
# icon, buttons), managed by the window manager at a fixed size, above the
# active window; its OK button or the window manager's close button end the
# mode with the box's result, 1. (Return and Escape: the host's configure
# runs, and X keys in fullscreen.sh.)
source "$(dirname "$0")/lib.sh"
start_xvfb 640x480x24
# Drawn, with the window manager's hints for a fixed-size box.
start_saver /c
if BOX=$("$XPROBE" wait-window Gushmire 5); then
  sleep 0.5
  # The grey face, black text, the icon's colours, the button's shades.
  colours=$("$XPROBE" colours "$BOX")
  [ "$colours" -ge 8 ] && pass "box drawn ($colours colours)" ||
    fail "box shows $colours colours"
  xprop -id "$BOX" WM_NORMAL_HINTS WM_PROTOCOLS >"$WORK/hints"
  least=$(sed -n 's/.*minimum size: //p' "$WORK/hints")
  most=$(sed -n 's/.*maximum size: //p' "$WORK/hints")
  [ -n "$least" ] && [ "$least" = "$most" ] &&
    grep -q WM_DELETE_WINDOW "$WORK/hints" &&
    pass "fixed size $least, close protocol" ||
    fail "window manager hints: $(cat "$WORK/hints")"
  "$XPROBE" close "$BOX"
  wait_exit "$SAVER" 3
  [ "$RC" -eq 1 ] && pass "window manager's close button: exit 1" ||
    fail "close button: exit $RC"
else
  fail "/c: no box to draw"
fi

# Transient for the active window, which the test makes active as a window
# manager would; its OK button (centred near the bottom) clicked.
host_window 200 100
ACTIVE=$ID
"$XPROBE" activate "$ACTIVE"
start_saver /c
if BOX=$("$XPROBE" wait-window Gushmire 5); then
  xprop -id "$BOX" WM_TRANSIENT_FOR | grep -q "# $(printf '0x%x' "$ACTIVE")$" &&
    pass "/c box transient for the active window" ||
    fail "/c: $(xprop -id "$BOX" WM_TRANSIENT_FOR), not $ACTIVE"
  eval "$(xdotool getwindowgeometry --shell "$BOX")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 16))
  sleep 0.2
  xdotool click 1
  wait_exit "$SAVER" 3
  [ "$RC" -eq 1 ] && pass "OK clicked: exit 1" || fail "OK clicked: exit $RC"
else
  fail "/c over an active window: no box"
fi
finish
