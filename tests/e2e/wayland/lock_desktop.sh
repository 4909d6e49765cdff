#!/usr/bin/env bash
# gushmire --lock --keep-desktop on headless sway, under pam_wrapper with
# pam_matrix: each output's picture is read before the lock, so both
# outputs (one at scale 2) show the desktop around the savers' drawing, and
# the right password unlocks.
# Usage: lock_desktop.sh GUSHMIRE
source "$(dirname "$0")/lib.sh"
start_lock_sway
GUSHMIRE=$(reachable "$1")

PASSWORD='sesame 42'
pam_service "$PASSWORD"
log=$WORK/lock.log
start_lock "$log" --keep-desktop
wait_until 5 eval 'grep -q "ext_session_lock_v1[@#][0-9]*\.locked" "$log"' &&
  pass "the compositor says locked" ||
  fail "no locked event: $(grep -E 'gushmire:|error' "$log" | head -5)"
wait_until 5 eval '[ "$(pgrep -P "$HOLDER" -x gushmire | wc -l)" -eq 2 ]' ||
  fail "no saver on each output"
sleep 2
for output in HEADLESS-1 HEADLESS-2; do
  screenshot "$output" "$WORK/$output.png"
  desktop=$(colour_share "$WORK/$output.png" "$DESKTOP_COLOR")
  red=$(red_count "$WORK/$output.png")
  [ "$desktop" -gt 0 ] && [ "$red" -gt 0 ] &&
    pass "$output: a series over the desktop ($desktop desktop pixels, $red red)" ||
    fail "$output: $desktop desktop pixels, $red red"
done

send_keys space
wait_until 5 eval '[ "$(screenshot HEADLESS-2 "$WORK/prompt.png" &&
  colour_share "$WORK/prompt.png" F0F0F0)" -gt 5000 ]' || fail "no prompt"
as_client wtype -s 300 "$PASSWORD" && send_keys Return
ends_with "the right password unlocks" "$HOLDER" 10 0

finish
