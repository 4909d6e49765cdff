#!/usr/bin/env bash
# The pictures of the Wayland docs, taken with grim on headless sway.
#   screenshot.sh GUSHMIRE VPOINTER OUT.png [SECONDS]
#     docs/wayland-saver.png: gushmire /s at 960x540 after SECONDS (40)
#   screenshot.sh --lock GUSHMIRE OUT.png [SECONDS]
#     docs/wayland-lock.png: gushmire --lock at 1024x768 under pam_wrapper,
#     after SECONDS (25), its prompt up with a few characters typed; then
#     the password unlocks it
if [ "${1:-}" = --lock ]; then
  OUTPUT_MODE=1024x768
  source "$(dirname "$0")/lib.sh"
  start_lock_sway
  GUSHMIRE=$(reachable "$2")
  out=$3
  pam_service 'open sesame'
  start_lock "$WORK/lock.log"
  sleep "${4:-25}"
  # The prompt comes up on the output with the keyboard: HEADLESS-2.
  send_keys Shift_L && as_client wtype -s 300 'hunter2' && sleep 1 &&
    screenshot HEADLESS-2 "$WORK/shot.png" && cp "$WORK/shot.png" "$out" &&
    echo "wrote $out"
  # After Escape the prompt stays away 200 ms; a key then brings it back.
  send_keys Escape && sleep 1 && send_keys Shift_L &&
    as_client wtype -s 300 'open sesame' && send_keys Return
  ends_with "the password unlocks" "$HOLDER" 10 0
  finish
fi
OUTPUT_MODE=960x540
source "$(dirname "$0")/lib.sh"
skip_unless sway swaybg grim
GUSHMIRE=$(reachable "$1")
VPOINTER=$(reachable "$2")
out=$3
start_sway
hold_pointer
point move 5000 5000 # out of the picture's way: the corner of the layout
start_client "$WORK/client.log" "$GUSHMIRE" /s
sleep "${4:-40}"
screenshot HEADLESS-1 "$WORK/shot.png" && cp "$WORK/shot.png" "$out" &&
  echo "wrote $out"
