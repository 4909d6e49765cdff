#!/usr/bin/env bash
# The X11 program under a Wayland desktop (Xwayland in headless sway): the
# root cannot be read there, so it must start from black and say so, not
# claim a black "desktop" it never read; it still covers the output and
# draws.
# Usage: xwayland.sh GUSHMIRE
source "$(dirname "$0")/lib.sh"
skip_unless sway swaybg swaymsg grim Xwayland python3 convert identify
GUSHMIRE=$(reachable "$1")
XWAYLAND=1
start_sway
# Each try takes about a quarter of a second: 20 are 5 s.
for _ in $(seq 20); do find_x_display && break; done
[ -n "$X_DISPLAY" ] || { fail "no Xwayland display"; finish; }

start_client "$WORK/x11.log" DISPLAY="$X_DISPLAY" "$GUSHMIRE" --backend x11 /s
SAVER=$CLIENT
wait_until 5 grep -q "gushmire:" "$WORK/x11.log"
grep -q "cannot be read here (Xwayland?): starting from black" "$WORK/x11.log" &&
  pass "says the desktop cannot be read and it starts from black" ||
  fail "no word: $(cat "$WORK/x11.log")"
covered_red() {
  screenshot HEADLESS-1 "$WORK/x.png" &&
    [ "$(pixel "$WORK/x.png" 5 5)" = 000000 ] &&
    [ "$(red_count "$WORK/x.png")" -gt 20 ]
}
wait_until 8 covered_red &&
  pass "the X window covers the output in black and draws splats" ||
  fail "X saver: corner #$(pixel "$WORK/x.png" 5 5), $(red_count "$WORK/x.png") red pixels"
running "$SAVER" || fail "the X saver ended: $(cat "$WORK/x11.log")"
finish
