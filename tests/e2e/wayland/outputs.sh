#!/usr/bin/env bash
# gushmire /s and the outputs of headless sway: one saver process per
# output; an output added while it runs is covered by a saver of its own;
# a saver whose output is not there ends quietly; the parent killed ends
# its savers; the compositor killed ends everything within a second, with
# no core. (A saver killed, two starts at once and SIGTERM go through the
# same per-screen parent as on X: x11 monitors.sh and fullscreen.sh.)
# (sway 1.7 cannot remove a headless output: `output NAME unplug` came with
# 1.8, and a disabled output keeps its global.)
# Usage: outputs.sh GUSHMIRE VPOINTER
source "$(dirname "$0")/lib.sh"
skip_unless sway swaybg swaymsg grim python3 convert identify
GUSHMIRE=$(reachable "$1")
VPOINTER=$(reachable "$2")
start_sway
hold_pointer
point_at 100 100

# Only this test's savers: other tests run theirs at the same time.
saver_of() { pgrep -f -- "$WORK/bin/gushmire .*--screen $1 "; }
saver_on() { saver_of "$1" >/dev/null; }
log=$WORK/saver.log
start_client "$log" WAYLAND_DEBUG=1 "$GUSHMIRE" /s
SAVER=$CLIENT
wait_until 5 eval '[ "$(savers)" -eq 3 ]' && saver_on HEADLESS-1 &&
  saver_on HEADLESS-2 && pass "one saver per output, under one parent" ||
  fail "savers: $(pgrep -a -f "$WORK/bin/gushmire")"

# Added at run time: covered at its own size, over the desktop.
if add_output; then
  wait_until 5 saver_on "$NEW_OUTPUT" &&
    pass "$NEW_OUTPUT added at run time gets a saver" ||
    fail "no saver for $NEW_OUTPUT"
  red_on_new() {
    screenshot "$NEW_OUTPUT" "$WORK/new.png" &&
      [ "$(red_count "$WORK/new.png")" -gt 20 ]
  }
  if wait_until 10 red_on_new; then
    size=$(png_size "$WORK/new.png")
    share=$(colour_share "$WORK/new.png" "$DESKTOP_COLOR")
    [ "$share" -gt $((${size%x*} * ${size#*x} * 9 / 10)) ] &&
      pass "$NEW_OUTPUT ($size) shows splats over the desktop" ||
      fail "$NEW_OUTPUT: only $share pixels of the desktop"
  else
    fail "nothing drawn on $NEW_OUTPUT"
  fi
  grep -q "gushmire:" "$log" && fail "messages: $(grep "gushmire:" "$log")"
else
  fail "no output added"
fi

# From here on every output has a saver, and the parent is one more.
full=$(($(output_names | wc -l) + 1))

# The parent killed outright takes its savers with it.
kill -KILL "$SAVER"
wait "$SAVER" 2>/dev/null
wait_until 2 eval '[ "$(savers)" -eq 0 ]' &&
  pass "the parent killed: no saver outlives it" ||
  fail "$(savers) savers outlive their killed parent"

# A saver for an output that is not (or no longer) there ends quietly.
as_client "$GUSHMIRE" --screen HEADLESS-9 /s >"$WORK/gone.log" 2>&1
rc=$?
[ "$rc" -eq 3 ] && [ ! -s "$WORK/gone.log" ] &&
  pass "a saver for a missing output ends quietly with 3" ||
  fail "missing output: exit $rc, $(cat "$WORK/gone.log")"

# The compositor killed like a crash: every saver ends within a second,
# with a non-zero code and no core.
: >"$log"
start_client "$log" WAYLAND_DEBUG=1 "$GUSHMIRE" /s
SAVER=$CLIENT
# Every saver connected and showing, not just started.
wait_until 10 eval '[ "$(grep -c "get_layer_surface" "$log")" -eq $((full - 1)) ]' ||
  fail "not restarted: $(grep -c get_layer_surface "$log") layer surfaces"
kill_compositor KILL
if wait_until 1.5 eval "! running $SAVER"; then
  wait "$SAVER"
  rc=$?
  [ "$rc" -ne 0 ] && [ "$rc" -lt 128 ] &&
    pass "compositor killed: ends within a second with $rc" ||
    fail "compositor killed: exit $rc"
  wait_until 1 eval '[ "$(savers)" -eq 0 ]' &&
    pass "compositor killed: no saver left" ||
    fail "compositor killed: $(savers) savers left"
  grep -q "Wayland display went away" "$log" && pass "says why" ||
    fail "no message: $(grep gushmire: "$log")"
else
  fail "still running a second after the compositor died"
fi
finish
