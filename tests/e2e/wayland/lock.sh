#!/usr/bin/env bash
# gushmire --lock on headless sway (ext-session-lock, sway 1.8 and later),
# under pam_wrapper with pam_matrix: no real account is ever asked. The lock
# comes before anything is drawn, each output shows a series of its own at
# its device pixels over black, a key brings the prompt, a wrong password
# keeps the session locked, the right one unlocks and ends the holder with
# 0; killing a saver or the holder never unlocks.
# Usage: lock.sh GUSHMIRE VKEYBOARD
source "$(dirname "$0")/lib.sh"
skip_unless sway swaybg swaymsg grim wtype python3 convert identify
pam_wrapper=$(find /usr/lib -name libpam_wrapper.so -print -quit 2>/dev/null)
pam_matrix=$(find /usr/lib -name pam_matrix.so -print -quit 2>/dev/null)
[ -n "$pam_wrapper" ] && [ -n "$pam_matrix" ] ||
  skip "pam_wrapper and pam_matrix (libpam-wrapper) are not installed"
GUSHMIRE=$(reachable "$1")
VKEYBOARD=$(reachable "$2")
start_sway
sway_version=$(as_client swaymsg -t get_version -r | python3 -c '
import json, sys; v = json.load(sys.stdin); print(v["major"] * 100 + v["minor"])')
[ "$sway_version" -ge 108 ] || skip "sway $sway_version has no ext-session-lock"

# The service "gushmire" as pam_wrapper finds it, and the only account
# pam_matrix knows: the compositor's user, whose password is "Très-sûr 1".
user=$(as_client id -un)
PASSWORD='Très-sûr 1'
mkdir -p "$WORK/pam"
printf 'auth required %s\naccount required %s\n' "$pam_matrix" "$pam_matrix" \
  >"$WORK/pam/gushmire"
printf '%s:%s:gushmire\n' "$user" "$PASSWORD" >"$WORK/pam/passdb"
chmod -R a+rX "$WORK/pam"
PAM_ENV=(LD_PRELOAD="$pam_wrapper" PAM_WRAPPER=1
  PAM_WRAPPER_SERVICE_DIR="$WORK/pam" PAM_MATRIX_PASSWD="$WORK/pam/passdb")

# start_lock LOG: gushmire --lock as a client; sets HOLDER.
start_lock() {
  start_client "$1" "${PAM_ENV[@]}" WAYLAND_DEBUG=1 "$GUSHMIRE" --lock
  HOLDER=$CLIENT
}
locked() { grep -q 'ext_session_lock_v1[@#][0-9]*\.locked' "$1"; }
savers() { pgrep -P "$HOLDER" -x gushmire | wc -l; }
# type_text TEXT...: through a virtual keyboard of the given layout.
type_in() { as_client "$VKEYBOARD" "$@" >>"$WORK/vkeyboard.log" 2>&1; }

log=$WORK/lock.log
start_lock "$log"
wait_until 5 locked "$log" && pass "the compositor says locked" ||
  fail "no locked event: $(grep -E 'gushmire:|error' "$log" | head -5)"
wait_until 5 eval '[ "$(savers)" -eq 2 ]' &&
  pass "a saver on each output" || fail "savers: $(savers)"
sleep 2
for output in HEADLESS-1 HEADLESS-2; do
  screenshot "$output" "$WORK/$output-locked.png"
  size=$(png_size "$WORK/$output-locked.png")
  desktop=$(colour_share "$WORK/$output-locked.png" "$DESKTOP_COLOR")
  red=$(red_count "$WORK/$output-locked.png")
  [ "$desktop" -eq 0 ] && [ "$red" -gt 0 ] &&
    pass "$output ($size): a series over black, no desktop ($red red pixels)" ||
    fail "$output ($size): $desktop desktop pixels, $red red"
done
cmp -s "$WORK/HEADLESS-1-locked.png" "$WORK/HEADLESS-2-locked.png" &&
  fail "both outputs show the same picture" ||
  pass "each output shows its own picture"

# The prompt: the layer's button face, over the saver, on the output whose
# lock surface has the keyboard (sway: the last one made, HEADLESS-2).
prompt_pixels() {
  screenshot "$1" "$WORK/prompt.png" && colour_share "$WORK/prompt.png" F0F0F0
}
prompt_up() { [ "$(prompt_pixels "$1")" -gt 5000 ]; }
type_text() { as_client wtype -s 300 "$1"; }
refusals() { grep -c 'password check: refused' "$log"; }

send_keys space
wait_until 5 prompt_up HEADLESS-2 && pass "a key brings the prompt" ||
  fail "no prompt: $(prompt_pixels HEADLESS-2) prompt pixels"
type_text 'not it' && send_keys Return
wait_until 10 eval '[ "$(refusals)" -ge 1 ]' &&
  pass "a wrong password is refused" || fail "no refusal in the log"
sleep 0.5
kill -0 "$HOLDER" 2>/dev/null && locked "$log" &&
  [ "$(colour_share "$(screenshot HEADLESS-1 "$WORK/after.png"; echo "$WORK/after.png")" "$DESKTOP_COLOR")" -eq 0 ] &&
  pass "the session stays locked after it" || fail "not locked after a refusal"

# A saver killed: a new one covers its output, and the lock holds.
victim=$(pgrep -P "$HOLDER" -x gushmire | head -n1)
kill -KILL "$victim"
wait_until 5 eval '[ "$(savers)" -eq 2 ] && ! pgrep -P "$HOLDER" -x gushmire | grep -qx "$victim"' &&
  pass "a killed saver is replaced" || fail "savers after the kill: $(savers)"
kill -TERM "$HOLDER"; kill -INT "$HOLDER"
sleep 1
kill -0 "$HOLDER" 2>/dev/null && pass "SIGTERM and SIGINT do not unlock" ||
  fail "the holder ended on a signal"

# The right password, typed through the keymap (not US letters).
send_keys space
wait_until 5 prompt_up HEADLESS-2 || fail "no prompt the second time"
type_text "$PASSWORD" && send_keys Return
ends_with "the right password unlocks" "$HOLDER" 10 0
wait_until 5 desktop_shown HEADLESS-1 && wait_until 5 desktop_shown HEADLESS-2 &&
  pass "the desktop shows again" || fail "the desktop does not show"

finish
