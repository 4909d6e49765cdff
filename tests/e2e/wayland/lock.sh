#!/usr/bin/env bash
# gushmire --lock on headless sway (ext-session-lock, sway 1.8 and later),
# under pam_wrapper with pam_matrix: no real account is ever asked. The lock
# comes before anything is drawn, each output shows a series of its own at
# its device pixels over black, a key brings the prompt, a wrong password
# keeps the session locked, the right one unlocks and ends the holder with
# 0; killing a saver or the holder never unlocks. --keep-desktop keeps
# the desktop under the drawing.
# Usage: lock.sh GUSHMIRE VKEYBOARD VPOINTER
source "$(dirname "$0")/lib.sh"
start_lock_sway
GUSHMIRE=$(reachable "$1")
VKEYBOARD=$(reachable "$2")
VPOINTER=$(reachable "$3")
# A mouse rests on HEADLESS-1 throughout: where the pointer merely is says
# nothing of where the user is, so keys still go to the keyboard's output.
hold_pointer
point_at 100 100

# The service "gushmire" as pam_wrapper finds it, and the only account
# pam_matrix knows: the compositor's user. PAM waits 1.5 s after a wrong
# password (pam_faildelay), as a real service does, while the animation must
# run on. The password types on a French layout without dead keys.
PASSWORD='Mémé à Zoé 1'
pam_service "$PASSWORD" 1500000
faildelay=$(grep -c pam_faildelay "$WORK/pam/gushmire")

locked() { grep -q 'ext_session_lock_v1[@#][0-9]*\.locked' "$1"; }
savers() { pgrep -P "$HOLDER" -x gushmire | wc -l; }
no_desktop() {
  screenshot "$1" "$WORK/check.png" &&
    [ "$(colour_share "$WORK/check.png" "$DESKTOP_COLOR")" -eq 0 ]
}
# A key that types nothing (Shift) brings the prompt empty.
# The prompt: the layer's button face, over the saver, on the output whose
# lock surface has the keyboard (sway: the last one made, HEADLESS-2).
prompt_pixels() {
  screenshot "$1" "$WORK/prompt.png" && colour_share "$WORK/prompt.png" F0F0F0
}
prompt_up() { [ "$(prompt_pixels "$1")" -gt 5000 ]; }
refusals() { grep -c 'password check: refused' "$log"; }
type_text() { as_client wtype -s 300 "$1"; }
rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }

log=$WORK/lock.log
start_lock "$log"
wait_until 5 locked "$log" && pass "the compositor says locked" ||
  fail "no locked event: $(grep -E 'gushmire:|error' "$log" | head -5)"
wait_until 5 eval '[ "$(savers)" -eq 2 ]' &&
  pass "a saver on each output" || fail "savers: $(savers)"
# series_shown TAG DESKTOP: each output shows a series (red) after 2 s,
# over the desktop when DESKTOP is 1, with none of it when 0; the pictures
# are kept as $WORK/OUTPUT-TAG.png.
series_shown() {
  local output f desktop red
  sleep 2
  for output in HEADLESS-1 HEADLESS-2; do
    f=$WORK/$output-$1.png
    screenshot "$output" "$f"
    desktop=$(colour_share "$f" "$DESKTOP_COLOR")
    red=$(red_count "$f")
    [ "$red" -gt 0 ] && [ "$((desktop > 0))" = "$2" ] &&
      pass "$1, $output ($(png_size "$f")): a series, $desktop desktop pixels, $red red" ||
      fail "$1, $output: $desktop desktop pixels, $red red"
  done
}
series_shown locked 0
cmp -s "$WORK/HEADLESS-1-locked.png" "$WORK/HEADLESS-2-locked.png" &&
  fail "both outputs show the same picture" ||
  pass "each output shows its own picture"

# A wrong password: refused after PAM's delay, during which the lock's
# surfaces keep being drawn (the longest gap between commits, from the
# client's own WAYLAND_DEBUG timestamps).
send_keys Shift_L
wait_until 5 prompt_up HEADLESS-2 && pass "a key brings the prompt" ||
  fail "no prompt: $(prompt_pixels HEADLESS-2) prompt pixels"
# The mouse goes over there too: it is where the user is from now on.
point_at 800 100
type_text 'not it'
from=$(wc -l <"$log")
send_keys Return
wait_until 10 eval '[ "$(refusals)" -ge 1 ]' && point click &&
  pass "a wrong password is refused" || fail "no refusal in the log"
# The click came right after the check: within 200 ms of its end (as the
# holder's log times them) it brings no prompt; a later one does.
late=$(tail -n +"$from" "$log" | awk '
  /^\[ *[0-9]/ { if (!("x" in seen)) last = substr($0, 2) + 0 }
  /password check: refused/ { seen["x"] = 1; refused = last }
  ("x" in seen) && /wl_pointer[@#][0-9]*\.button\(/ {
    print int(substr($0, 2) - refused); exit }')
if [ "${late:-999}" -lt 150 ]; then
  ! wait_until 1 prompt_up HEADLESS-2 &&
    pass "a click ${late} ms after the refusal brings no prompt" ||
    fail "a click ${late} ms after the refusal brought the prompt"
else
  echo "note: the click came ${late:-?} ms after the refusal: too late to try the quiet period"
fi
sleep 0.3
point click
wait_until 5 prompt_up HEADLESS-2 && pass "a click later brings it" ||
  fail "no prompt for a later click"
send_keys Escape
# "span gap": from the first commit after Return to the refusal, and the
# longest time between two commits within it.
read -r span gap < <(tail -n +"$from" "$log" | awk '
  /password check: refused/ { exit }
  /-> wl_surface[@#][0-9]*\.commit\(\)/ {
    t = substr($0, 2) + 0; if (!first) first = t
    if (last && t - last > most) most = t - last; last = t }
  END { printf "%d %d\n", last - first, most }')
[ "$faildelay" -eq 0 ] || [ "${span:-0}" -ge 1000 ] ||
  fail "PAM answered after ${span} ms: its delay did not apply"
[ "${gap:-9999}" -lt 250 ] &&
  pass "the animation runs on during PAM's delay (${span} ms; longest gap ${gap} ms)" ||
  fail "a gap of ${gap} ms between pictures during the check"
sleep 0.5
kill -0 "$HOLDER" 2>/dev/null && locked "$log" && no_desktop HEADLESS-1 &&
  pass "the session stays locked after it" || fail "not locked after a refusal"

# Bad input at the prompt: 10 KB pasted (non-ASCII and astral characters
# among them), far past what the prompt keeps; then Escape. Nothing unlocks,
# nothing crashes, and the saver's memory stays put.
send_keys Shift_L
wait_until 5 prompt_up HEADLESS-2 || fail "no prompt for the paste"
typist=$(pgrep -P "$HOLDER" -x gushmire | while read -r p; do
  grep -q "HEADLESS-2" "/proc/$p/cmdline" && echo "$p"; done)
before=$(rss_kb "$typist")
paste=$(python3 -c 'import random; random.seed(7)
print("".join(random.choice("aZ9 ü€𝄞\\\"<>") for _ in range(10240)))')
type_text "$paste" && send_keys Escape
sleep 1
after=$(rss_kb "$typist")
kill -0 "$typist" 2>/dev/null && kill -0 "$HOLDER" 2>/dev/null &&
  [ "$(refusals)" -eq 1 ] && locked "$log" &&
  pass "a 10 KB paste and Escape: no check, no crash, still locked" ||
  fail "after the paste: saver $(kill -0 "$typist" 2>/dev/null && echo alive || echo gone), $(refusals) refusals"
# (AddressSanitizer's quarantine keeps what is freed: no measure there.)
if grep -q __asan_init "$GUSHMIRE"; then
  echo "note: memory not judged under AddressSanitizer ($before kB, then $after kB)"
elif [ $((after - before)) -lt 4096 ]; then
  pass "the saver's memory stays put ($before kB, then $after kB)"
else
  fail "the saver grew from $before kB to $after kB"
fi

# A saver killed: a new one covers its output, and the lock holds.
victim=$(pgrep -P "$HOLDER" -x gushmire | head -n1)
kill -KILL "$victim"
wait_until 5 eval '[ "$(savers)" -eq 2 ] && ! pgrep -P "$HOLDER" -x gushmire | grep -qx "$victim"' &&
  pass "a killed saver is replaced" || fail "savers after the kill: $(savers)"
kill -TERM "$HOLDER"; kill -INT "$HOLDER"
sleep 1
kill -0 "$HOLDER" 2>/dev/null && pass "SIGTERM and SIGINT do not unlock" ||
  fail "the holder ended on a signal"

# An output added while locked gets a lock surface and a saver; removed, it
# loses them.
if add_output; then
  wait_until 5 eval '[ "$(savers)" -eq 3 ]' && sleep 1 &&
    no_desktop "$NEW_OUTPUT" &&
    pass "an output added while locked gets its own saver" ||
    fail "added output: $(savers) savers"
  as_client swaymsg output "$NEW_OUTPUT" unplug >/dev/null
  wait_until 5 eval '[ "$(savers)" -eq 2 ]' &&
    pass "an output removed takes its saver along" ||
    fail "after the removal: $(savers) savers"
else
  fail "could not add an output"
fi

# The mouse moved on HEADLESS-1: the prompt comes up there, and keys go
# there. The right password, typed on a French layout: the keys of
# "Mémé à Zoé 1" on AZERTY spell something else on a US keyboard.
point_at 100 100
wait_until 5 prompt_up HEADLESS-1 &&
  pass "moving the mouse brings the prompt on its output" ||
  fail "no prompt on HEADLESS-1 after the mouse moved there"
as_client "$VKEYBOARD" --layout fr "$PASSWORD" >>"$WORK/vkeyboard.log" 2>&1 &&
  as_client "$VKEYBOARD" --layout fr --key Return >>"$WORK/vkeyboard.log" 2>&1 ||
  fail "vkeyboard: $(tail -n 2 "$WORK/vkeyboard.log")"
ends_with "the right password, typed on AZERTY, unlocks" "$HOLDER" 10 0
wait_until 5 desktop_shown HEADLESS-1 && wait_until 5 desktop_shown HEADLESS-2 &&
  pass "the desktop shows again" || fail "the desktop does not show"

# --keep-desktop: each output's picture, read before the lock, under its
# series. Then the holder killed: the compositor keeps the session locked,
# shows none of it, and a new gushmire --lock takes over.
log=$WORK/lock2.log
start_lock "$log" --keep-desktop
wait_until 5 locked "$log" && wait_until 5 eval '[ "$(savers)" -eq 2 ]' ||
  fail "the second lock did not start"
series_shown --keep-desktop 1
kill -KILL "$HOLDER"
wait "$HOLDER" 2>/dev/null
sleep 1
no_desktop HEADLESS-1 && no_desktop HEADLESS-2 &&
  pass "the holder killed: the session stays locked" ||
  fail "the desktop shows after the holder was killed"
log=$WORK/lock3.log
start_lock "$log"
wait_until 5 locked "$log" && pass "a new gushmire --lock takes over" ||
  fail "no takeover: $(grep -E 'gushmire:' "$log" | head -3)"
# Typed straight away: the first key brings the prompt and is its first
# character.
sleep 1
as_client "$VKEYBOARD" --layout fr "$PASSWORD" >>"$WORK/vkeyboard.log" 2>&1 &&
  as_client "$VKEYBOARD" --layout fr --key Return >>"$WORK/vkeyboard.log" 2>&1
ends_with "and unlocks with the password typed at once" "$HOLDER" 10 0

# No saver ended but the one killed (a crash would be restarted unseen),
# and no sanitizer spoke, where the program was built with one.
restarts=$(grep -c 'ended; starting another' "$WORK/lock.log")
reports=$(cat "$WORK"/lock*.log | grep -cE 'Sanitizer|runtime error:')
[ "$restarts" -eq 1 ] && [ "$reports" -eq 0 ] &&
  pass "no saver ended by itself, no sanitizer report" ||
  fail "$restarts savers restarted, $reports sanitizer lines: $(grep -hE 'Sanitizer|runtime error:|ended;' "$WORK"/lock*.log | head -5)"

finish
