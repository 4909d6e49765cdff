#!/usr/bin/env bash
# The Wayland test harness itself on real compositors: headless sway with two
# outputs at their own pixels and a known desktop, input through wtype and
# vpointer, an output added at run time, clean ends; weston's headless start.
# Usage: harness.sh VPOINTER
source "$(dirname "$0")/lib.sh"
skip_unless sway swaybg swaymsg grim wtype python3 convert identify
VPOINTER=$(reachable "$1")

start_sway

# Both outputs at their device pixels: HEADLESS-2 (scale 2) is twice its
# logical size; the whole of each shows the desktop colour.
for output in HEADLESS-1 HEADLESS-2; do
  read -r _ _ lw lh scale <<<"$(output_info "$output")"
  shot=$WORK/$output.png
  if ! screenshot "$output" "$shot"; then
    fail "$output: grim took no screenshot"
    continue
  fi
  want=$(awk "BEGIN { printf \"%dx%d\", $lw * $scale, $lh * $scale }")
  [ "$(png_size "$shot")" = "$OUTPUT_MODE" ] && [ "$want" = "$OUTPUT_MODE" ] &&
    pass "$output: ${lw}x$lh logical at scale $scale, captured at $want" ||
    fail "$output: ${lw}x$lh at scale $scale captured at $(png_size "$shot")"
  pixels=$((${OUTPUT_MODE%x*} * ${OUTPUT_MODE#*x}))
  [ "$(colour_share "$shot" "$DESKTOP_COLOR")" -eq "$pixels" ] &&
    pass "$output: every pixel is the desktop colour #$DESKTOP_COLOR" ||
    fail "$output: $(colour_share "$shot" "$DESKTOP_COLOR") of $pixels pixels are #$DESKTOP_COLOR"
done

# Keys and pointer: wtype and vpointer end without error.
send_keys Escape a && pass "wtype types" || fail "wtype failed"
as_client "$VPOINTER" move 10 10 click wait 20 click right move -4.5 3 &&
  pass "vpointer moves and clicks" || fail "vpointer failed"
as_client "$VPOINTER" move 1 2>/dev/null &&
  fail "vpointer took a move without its second offset" ||
  pass "vpointer refuses a bad action"

# The seat has a pointer exactly while a vpointer holds its connection.
seat_caps() {
  as_client swaymsg -r -t get_seats | python3 -c '
import json, sys
print(json.load(sys.stdin)[0]["capabilities"])'
}
has_pointer() { [ $(($(seat_caps) & 1)) -eq 1 ]; }
mkfifo -m 666 "$WORK/actions"
client_env
"${CLIENT_ENV[@]}" "$VPOINTER" - <"$WORK/actions" >"$WORK/vpointer.out" 2>&1 &
HELD=$!
PIDS+=("$HELD")
exec 5>"$WORK/actions"
echo "move 3 0" >&5
wait_until 5 grep -q "done" "$WORK/vpointer.out" && has_pointer &&
  pass "a held vpointer is a pointer on the seat" ||
  fail "no pointer on the seat while vpointer runs"
echo "click" >&5
exec 5>&-
wait_until 5 eval "! running $HELD"
wait "$HELD" && [ "$(grep -c "done" "$WORK/vpointer.out")" -eq 2 ] &&
  pass "vpointer ran two lines from stdin and ended with them" ||
  fail "vpointer from stdin: $(cat "$WORK/vpointer.out")"
wait_until 5 eval '! has_pointer' &&
  pass "the seat loses the pointer when vpointer disconnects" ||
  fail "the seat keeps a pointer after vpointer is gone"

# An output added while sway runs is listed, and swaybg covers it too.
if add_output; then
  pass "$NEW_OUTPUT added at run time is listed"
  wait_until 5 desktop_shown "$NEW_OUTPUT" &&
    pass "$NEW_OUTPUT shows the desktop colour" ||
    fail "$NEW_OUTPUT does not show the desktop"
else
  fail "no new output listed after create_output"
fi

# Killed like a crash: sway and swaybg end, the runtime folder is emptied.
sway=$COMPOSITOR_PID bg=$SWAYBG_PID
kill_compositor KILL
! running "$sway" && ! running "$bg" &&
  [ -z "$(ls -A "$RUNTIME")" ] &&
  pass "sway killed: its processes are gone, its socket removed" ||
  fail "sway killed: something is left"

# weston's headless backend, for the xdg-shell fallback: an xdg_wm_base but
# no layer shell.
if command -v weston >/dev/null && command -v wayland-info >/dev/null; then
  start_weston
  globals=$(as_client wayland-info 2>/dev/null | grep -o "interface: '[a-z_0-9]*'")
  grep -q "'xdg_wm_base'" <<<"$globals" &&
    ! grep -q "'zwlr_layer_shell_v1'" <<<"$globals" &&
    pass "weston offers xdg-shell and no layer shell" ||
    fail "weston's globals: $globals"
  kill_compositor
else
  echo "weston part SKIPPED: no weston or wayland-info"
fi

finish
