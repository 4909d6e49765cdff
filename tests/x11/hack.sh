# The program as an XScreenSaver or xsecurelock hack: it draws in the window
# it is given, input never ends it, SIGTERM and SIGINT end it with 0, and it
# starts from the desktop picture the daemon left on that window.
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

# host_window W H [RRGGBB]: a window of the test's own; sets ID and HOST.
host_window() {
  "$XPROBE" window "$@" >"$WORK/host" &
  HOST=$!
  PIDS+=("$HOST")
  local i
  for i in $(seq 100); do [ -s "$WORK/host" ] && break; sleep 0.05; done
  ID=$(head -n1 "$WORK/host")
}

"$GUSHMIRE" --help >"$WORK/help" 2>&1
rc=$?
[ "$rc" -eq 0 ] && grep -q -- "-window-id" "$WORK/help" &&
  pass "--help prints the usage, exits 0" || fail "--help: exit $rc"
"$GUSHMIRE" --version >"$WORK/version" 2>&1
rc=$?
[ "$rc" -eq 0 ] && grep -Eq '^gushmire [0-9]+\.[0-9]+' "$WORK/version" &&
  pass "--version: $(cat "$WORK/version")" || fail "--version: exit $rc"
for bad in "-window-id" "-window-id 0" "-window-id 0xZZ" "-window-id -5" \
           "-window-id 99999999999" "-root -frobnicate"; do
  # shellcheck disable=SC2086
  timeout 10 "$GUSHMIRE" $bad >/dev/null 2>"$WORK/err"
  rc=$?
  [ "$rc" -eq 1 ] && grep -q "Usage" "$WORK/err" &&
    pass "\"$bad\" refused with the usage, exit 1" ||
    fail "\"$bad\": exit $rc"
done
XSCREENSAVER_WINDOW=junk timeout 10 "$GUSHMIRE" -root >/dev/null 2>&1
rc=$?
[ "$rc" -eq 1 ] && pass "junk XSCREENSAVER_WINDOW: exit 1" ||
  fail "junk XSCREENSAVER_WINDOW: exit $rc"
timeout 10 "$GUSHMIRE" -window-id 12345 >/dev/null 2>&1
rc=$?
[ "$rc" -eq 255 ] && pass "window that does not exist: exit 255, as /p" ||
  fail "window that does not exist: exit $rc"

# -window-id in hex: draws, survives input, SIGTERM ends it with 0.
host_window 200 150
"$XPROBE" window-image "$ID" "$WORK/before"
start_saver -window-id "$(printf '0x%x' "$ID")"
if wait_drawn "$ID" "$WORK/before"; then
  [ "$CHANGED" -lt 15000 ] &&
    pass "draws over the window's picture ($CHANGED pixels)" ||
    fail "covered $CHANGED of 30000 pixels at once"
else
  fail "nothing drawn in the window"
fi
pointer_to 50 50
xdotool key x click 1
xdotool mousemove_relative 30 30
survives_then_stops "-window-id" TERM
kill -0 "$HOST" 2>/dev/null && pass "the window it drew in is still there" ||
  fail "the host window went"
kill "$HOST"; wait "$HOST" 2>/dev/null

# XSCREENSAVER_WINDOW (hex) with a desktop picture on the window: the first
# frame is that picture, not the window's white; SIGINT ends it with 0.
host_window 200 150 ff0000
"$XPROBE" window-image "$ID" "$WORK/before"
XSCREENSAVER_WINDOW=$(printf '0x%X' "$ID") start_saver
if wait_drawn "$ID" "$WORK/before"; then
  [ "$CHANGED" -gt 25000 ] &&
    pass "starts from the daemon's desktop picture ($CHANGED pixels)" ||
    fail "desktop picture not used: $CHANGED pixels changed"
else
  fail "nothing drawn in XSCREENSAVER_WINDOW"
fi
xdotool key x
survives_then_stops "XSCREENSAVER_WINDOW" INT

# Decimal id; the window destroyed ends it with 0.
host_window 120 90
start_saver -window-id "$ID"
sleep 1
kill "$HOST"; wait "$HOST" 2>/dev/null
wait_exit "$SAVER" 3
[ "$RC" -eq 0 ] && pass "window destroyed: exit 0" || fail "window gone: exit $RC"

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
