#!/usr/bin/env bash
# gushmire /s on headless sway (two outputs, HEADLESS-2 at scale 2): chosen
# over X even with DISPLAY set, an overlay layer surface on each output at
# its device pixels, the desktop kept under a growing red disc; a key, a
# click, and 5 pixels of travel (not 4) end it with 0 on every output. The
# configure box is a window of its own. (A second start: the per-screen
# parent's claim, in x11 monitors.sh.)
# Usage: saver.sh GUSHMIRE VPOINTER
source "$(dirname "$0")/lib.sh"
skip_unless sway swaybg swaymsg grim wtype python3 convert identify
GUSHMIRE=$(reachable "$1")
VPOINTER=$(reachable "$2")
start_sway
hold_pointer
point_at 100 100

# start_saver LOG ARGS...: gushmire ARGS as a client, its Wayland messages
# (WAYLAND_DEBUG) and stderr in LOG; sets SAVER. DISPLAY names an X
# display, as in a Wayland session with Xwayland: Wayland must win.
start_saver() {
  start_client "$1" DISPLAY=:97 WAYLAND_DEBUG=1 "$GUSHMIRE" "${@:2}"
  SAVER=$CLIENT
}
# covered LOG N: N layer surfaces have had a buffer committed.
covered() { [ "$(grep -c 'get_layer_surface' "$1")" -ge "$2" ] &&
  [ "$(grep -c -- '-> wl_surface[@#][0-9]*\.commit' "$1")" -ge $((2 * $2)) ]; }
# ends WHAT SECONDS: the saver ends within SECONDS, with 0, and leaves no
# process behind.
ends() { ends_with "$1 ends it" "$SAVER" "$2" 0; }

log=$WORK/saver.log
start_saver "$log" /s
if wait_until 5 covered "$log" 2; then
  pass "both outputs covered by overlay layer surfaces (WAYLAND_DISPLAY over DISPLAY)"
  grep -q 'get_layer_surface(new id [^,]*, wl_surface[@#][0-9]*, wl_output[@#][0-9]*, 3, "gushmire")' "$log" ||
    fail "not on the overlay layer: $(grep get_layer_surface "$log")"
  grep -q 'set_keyboard_interactivity(1)' "$log" && grep -q 'set_anchor(15)' "$log" &&
    grep -q 'set_exclusive_zone(-1)' "$log" &&
    pass "anchored to every edge, exclusive zone -1, keyboard exclusive" ||
    fail "layer surface set-up: $(grep -E 'set_(anchor|exclusive|keyboard)' "$log")"
else
  fail "outputs not covered: $(grep -E 'gushmire:|error' "$log" | head -5)"
fi
# HEADLESS-2 is 320x240 logical at scale 2: its buffers are 640x480.
grep -q 'configure([0-9]*, 320, 240)' "$log" &&
  grep -q 'set_buffer_scale(2)' "$log" &&
  [ "$(grep -c 'create_buffer(new id [^,]*, 0, 640, 480, 2560, 1)' "$log")" -ge 2 ] &&
  pass "the scale-2 output gets 640x480 buffers at buffer scale 2" ||
  fail "scale 2: $(grep -E 'configure\(|set_buffer_scale|create_buffer' "$log" | head)"

# The desktop stays under the drawing, and a red disc grows on each output.
sleep 1
pixels=$((${OUTPUT_MODE%x*} * ${OUTPUT_MODE#*x}))
for output in HEADLESS-1 HEADLESS-2; do
  screenshot "$output" "$WORK/$output-1.png"
  desktop=$(colour_share "$WORK/$output-1.png" "$DESKTOP_COLOR")
  [ "$desktop" -gt $((pixels * 9 / 10)) ] &&
    pass "$output: the desktop shows around the first splats ($desktop of $pixels pixels)" ||
    fail "$output: only $desktop of $pixels pixels show the desktop"
done
sleep 2
for output in HEADLESS-1 HEADLESS-2; do
  screenshot "$output" "$WORK/$output-2.png"
  before=$(red_count "$WORK/$output-1.png")
  after=$(red_count "$WORK/$output-2.png")
  [ "$after" -gt "$before" ] && [ "$after" -gt 50 ] &&
    pass "$output: a red disc grows ($before then $after red pixels)" ||
    fail "$output: red pixels $before then $after"
done

# Travel adds up: 4 pixels leave it running, the fifth ends it. sway 1.7
# tells the pointer's resting place as the surface appears; sway 1.10 tells
# nothing until the pointer moves, and the first place told is no move.
if ! grep -q 'wl_pointer[@#][0-9]*\.enter' "$log"; then
  point move 1 1
  sleep 0.5
  running "$SAVER" && pass "the pointer's first place told is no move" ||
    fail "the pointer's first place ended it"
fi
point move 2 2
sleep 0.5
running "$SAVER" && pass "travel of 4 pixels leaves it running" ||
  fail "travel of 4 pixels ended it: $(grep -E 'wl_pointer.*(enter|motion)' "$log")"
point move 1 0
ends "travel adding up to 5 pixels" 3

start_saver "$WORK/key.log" /s
wait_until 5 covered "$WORK/key.log" 2 || fail "key run: not covered"
send_keys x
ends "a key" 3

start_saver "$WORK/click.log" /s
wait_until 5 covered "$WORK/click.log" 2 || fail "click run: not covered"
# Buttons go to the surface with the pointer's focus, which sway 1.10 gives
# only once the pointer moves: a move of 2 pixels, too little to end it.
point move 1 1
point click right
ends "a click" 3

# The configure box: a window of its own size (an xdg_toplevel), closed
# with a key; its result is the exit code, 1, as on X11.
start_saver "$WORK/about.log" /c
if wait_until 5 grep -q 'xdg_toplevel[@#][0-9]*\.set_max_size' "$WORK/about.log"; then
  sleep 0.5
  send_keys Escape
  ends_with "the configure box shows and closes with Escape" "$SAVER" 3 1
else
  fail "no configure box: $(grep gushmire: "$WORK/about.log")"
fi
finish
