# The program inside a window another program made: as the preview (/p) and
# as an XScreenSaver or xsecurelock hack. It draws in that window at its
# size, input never ends a hack, SIGTERM and SIGINT end it with 0, a hack
# starts from the desktop picture the daemon left on that window, and the
# window destroyed at any moment ends it with 0.
source "$(dirname "$0")/lib.sh"
start_xvfb 640x480x24

# survives_then_stops WHAT SIGNAL: after input the hack still runs; the
# signal ends it with 0.
survives_then_stops() {
  sleep 0.5
  kill -0 "$SAVER" 2>/dev/null && pass "$1 survives input" ||
    fail "$1 ended on input"
  kill "-$2" "$SAVER"
  wait_exit "$SAVER" 3
  [ "$RC" -eq 0 ] && pass "$1, SIG$2: exit 0" || fail "$1, SIG$2: exit $RC"
}

# Exit codes: 1 with the usage for a bad option, 255 for a window that does
# not exist (as /p), 2 without a display. (Window ids and the daemon's
# variable: options_test.)
while read -r code arguments; do
  # shellcheck disable=SC2086 # the arguments split on purpose
  timeout 10 "$GUSHMIRE" $arguments >/dev/null 2>"$WORK/err"
  rc=$?
  [ "$rc" -eq "$code" ] && { [ "$code" -ne 1 ] || grep -q Usage "$WORK/err"; } ||
    fail "\"$arguments\": exit $rc, expected $code"
done <<'CASES'
1 -root -frobnicate
255 -window-id 12345
255 /p 12345
CASES
DISPLAY=:999999 timeout 10 "$GUSHMIRE" /s >/dev/null 2>"$WORK/err"
rc=$?
[ "$rc" -eq 2 ] && grep -q "cannot open the X display" "$WORK/err" ||
  fail "unreachable display: exit $rc"
env -u DISPLAY timeout 10 "$GUSHMIRE" /s >/dev/null 2>"$WORK/err"
rc=$?
[ "$rc" -eq 2 ] && grep -q "no display is set" "$WORK/err" &&
  grep -q "DISPLAY=:0 gushmire /s" "$WORK/err" &&
  pass "bad options, windows and displays refused" || fail "no display: exit $rc"
# On X11, --lock refuses and says what locks there with Gushmire on screen;
# nothing is drawn, and X input stays free.
env -u WAYLAND_DISPLAY -u WAYLAND_SOCKET timeout 10 "$GUSHMIRE" --lock \
  >/dev/null 2>"$WORK/err"
rc=$?
[ "$rc" -eq 2 ] && grep -q "XSECURELOCK_SAVER=saver_gushmire xsecurelock" "$WORK/err" &&
  grep -q "XScreenSaver" "$WORK/err" &&
  pass "--lock on X11: exit 2, naming xsecurelock and XScreenSaver" ||
  fail "--lock on X11: exit $rc: $(cat "$WORK/err")"
timeout 10 "$GUSHMIRE" --lock /p 123 >/dev/null 2>&1
[ $? -eq 1 ] && pass "--lock with another switch than /s: exit 1" ||
  fail "--lock /p was taken"

# The preview draws over the window's own picture. (Input never ends it:
# the host's preview test; X input reaches the saver in fullscreen.sh.)
host_window 200 150
"$XPROBE" snap "$WORK/before" "$ID"
start_saver /p "$ID"
if wait_drawn "$ID" "$WORK/before"; then
  [ "$CHANGED" -lt 15000 ] &&
    pass "preview draws over the window's picture ($CHANGED pixels)" ||
    fail "preview covered $CHANGED of 30000 pixels at once"
else
  fail "nothing drawn in the preview window"
fi
kill "$HOST"; wait "$HOST" 2>/dev/null
wait_exit "$SAVER" 2

# The window destroyed at 20 moments from start-up to well into drawing.
bad=0
for i in $(seq 0 19); do
  host_window 160 120
  start_saver /p "$ID"
  "$XPROBE" wait-window Preview 5 >/dev/null || echo "run $i: no preview"
  sleep "$(awk "BEGIN { print $i * 0.04 }")"
  kill "$HOST"; wait "$HOST" 2>/dev/null
  wait_exit "$SAVER" 3
  if [ "$RC" -ne 0 ] || grep -q . "$WORK/saver.log"; then
    bad=$((bad + 1))
    echo "run $i: exit $RC $(cat "$WORK/saver.log")"
  fi
done
[ "$bad" -eq 0 ] && pass "20 parents destroyed mid-run: exit 0 every time" ||
  fail "$bad of 20 preview runs did not end cleanly"

# XSCREENSAVER_WINDOW (hex) with a desktop picture on the window: the first
# frame is that picture, not the window's white; SIGINT ends it with 0.
host_window 200 150 ff0000
"$XPROBE" snap "$WORK/before" "$ID"
XSCREENSAVER_WINDOW=$(printf '0x%X' "$ID") start_saver
if wait_drawn "$ID" "$WORK/before"; then
  [ "$CHANGED" -gt 25000 ] &&
    pass "starts from the daemon's desktop picture ($CHANGED pixels)" ||
    fail "desktop picture not used: $CHANGED pixels changed"
else
  fail "nothing drawn in XSCREENSAVER_WINDOW"
fi
xdotool key x click 1
survives_then_stops "XSCREENSAVER_WINDOW" INT
kill -0 "$HOST" 2>/dev/null && pass "the window it drew in is still there" ||
  fail "the host window went"
kill "$HOST"; wait "$HOST" 2>/dev/null

# -root: full screen on the root, until SIGTERM.
"$XPROBE" snap "$WORK/desk"
start_saver -root
if "$XPROBE" wait-change "$WORK/desk" 5 1 >/dev/null; then
  pass "-root draws on the screen"
else
  fail "-root drew nothing"
fi
xdotool key x click 1
survives_then_stops "-root" TERM
finish
