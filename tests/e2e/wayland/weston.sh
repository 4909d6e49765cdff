#!/usr/bin/env bash
# gushmire /s where there is no layer shell (headless weston): an
# xdg_toplevel made full screen on the output, starting from black since
# there is no screencopy either, drawing frame after frame. (Headless
# weston has no seat, so input cannot be tried here; it is the same code
# as on sway.) --lock refuses here.
# Usage: weston.sh GUSHMIRE
source "$(dirname "$0")/lib.sh"
skip_unless weston
GUSHMIRE=$(reachable "$1")
start_weston 640 480 2

log=$WORK/saver.log
start_client "$log" WAYLAND_DEBUG=1 "$GUSHMIRE" /s
SAVER=$CLIENT
frames() { grep -c -- '-> wl_surface[@#][0-9]*\.damage_buffer' "$log"; }
if wait_until 5 grep -q 'xdg_toplevel[@#][0-9]*\.set_fullscreen(wl_output[@#]' "$log"; then
  pass "no layer shell: a full-screen xdg_toplevel"
else
  fail "no full-screen toplevel: $(grep -E 'gushmire:|get_toplevel' "$log")"
fi
grep -q "no screencopy: starting from black" "$log" &&
  pass "says it starts from black" || fail "no word on starting from black"
# weston sizes its outputs in logical pixels: 640x480 at scale 2 is a
# 1280x960 mode, and its buffers are that big.
grep -q 'set_buffer_scale(2)' "$log" &&
  grep -q 'create_buffer(new id [^,]*, 0, 1280, 960, 5120, 1)' "$log" &&
  pass "buffers at the output's device pixels" ||
  fail "buffers: $(grep -E 'set_buffer_scale|create_buffer' "$log")"
sleep 2
first=$(frames)
sleep 2
[ "$(frames)" -gt $((first + 5)) ] &&
  pass "it draws frame after frame ($first, then $(frames) damaged commits)" ||
  fail "drawing stalled at $(frames) damaged commits"
running "$SAVER" || fail "ended by itself: $(grep gushmire: "$log")"
kill -TERM "$SAVER"
wait_until 2 eval "! running $SAVER" && pass "SIGTERM ends it" ||
  fail "SIGTERM did not end it"

# weston has no ext-session-lock: --lock refuses, names weston's own lock,
# and never puts up a pretend lock.
as_client "$GUSHMIRE" --lock >"$WORK/lock.log" 2>&1
code=$?
[ "$code" -eq 2 ] && grep -q "no ext-session-lock" "$WORK/lock.log" &&
  grep -q "weston locks with" "$WORK/lock.log" &&
  ! grep -q 'get_layer_surface\|get_xdg_surface' "$WORK/lock.log" &&
  pass "--lock refuses with exit 2 and names weston's lock" ||
  fail "--lock on weston: exit $code, $(cat "$WORK/lock.log")"
finish
