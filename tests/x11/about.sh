# The configure box (an About box) shows as a window of its own and closes
# with Return or Escape; the mode's exit code is the box's result, 1. It is
# drawn (text, icon, buttons), managed by the window manager at a fixed size,
# closes with the window manager's close button, and with /c stays above
# the window the desktop says is active.
source "$(dirname "$0")/lib.sh"
start_xvfb 640x480x24
for key in Return Escape; do
  for switch in /c ""; do
    start_saver $switch
    if "$XPROBE" wait-window Gushmire 5 >/dev/null; then
      sleep 0.2
      xdotool key "$key"
      wait_exit "$SAVER" 3
      [ "$RC" -eq 1 ] && pass "'$switch' box closed with $key, exit 1" ||
        fail "'$switch' box with $key: exit $RC"
    else
      fail "'$switch': no box"
    fi
  done
done

# Drawn: inside the grey face there is dark text and the icon's colours.
start_saver /c
if BOX=$("$XPROBE" wait-window Gushmire 5); then
  sleep 0.5
  "$XPROBE" shot "$WORK/about.ppm"
  read -r DARK COLOURED < <(python3 - "$WORK/about.ppm" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
header = data.split(b"\n", 3)
w, h = map(int, header[1].split())
px = header[3]
face = [(i % w, i // w) for i in range(w * h) if px[3*i:3*i+3] == b"\xf0\xf0\xf0"]
if not face:
    print(0, 0); sys.exit()
x0, x1 = min(p[0] for p in face), max(p[0] for p in face)
y0, y1 = min(p[1] for p in face), max(p[1] for p in face)
dark = coloured = 0
for y in range(y0, y1 + 1):
    for x in range(x0, x1 + 1):
        r, g, b = px[3*(y*w+x):3*(y*w+x)+3]
        dark += max(r, g, b) < 0x60
        coloured += not (r == g == b)
print(dark, coloured)
PY
)
  [ "${DARK:-0}" -gt 300 ] && pass "box shows text ($DARK dark pixels)" ||
    fail "box text: ${DARK:-0} dark pixels"
  [ "${COLOURED:-0}" -gt 100 ] && pass "box shows its icons ($COLOURED coloured pixels)" ||
    fail "box icons: ${COLOURED:-0} coloured pixels"
  read -r _ MINW MINH MAXW MAXH CLOSES CLASS < <("$XPROBE" wm-info "$BOX")
  [ "$MINW" -gt 0 ] && [ "$MINW" = "$MAXW" ] && [ "$MINH" = "$MAXH" ] &&
    [ "$CLOSES" = 1 ] && pass "fixed size ${MINW}x${MINH}, close protocol, class $CLASS" ||
    fail "window manager hints: $MINW $MINH $MAXW $MAXH $CLOSES"
  "$XPROBE" close "$BOX"
  wait_exit "$SAVER" 3
  [ "$RC" -eq 1 ] && pass "window manager's close button: exit 1" ||
    fail "close button: exit $RC"
else
  fail "/c: no box to draw"
fi

# The OK button clicked: it sits centred near the bottom of the box.
start_saver /c
if BOX=$("$XPROBE" wait-window Gushmire 5); then
  eval "$(xdotool getwindowgeometry --shell "$BOX")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 16))
  sleep 0.2
  xdotool click 1
  wait_exit "$SAVER" 3
  [ "$RC" -eq 1 ] && pass "OK clicked: exit 1" || fail "OK clicked: exit $RC"
else
  fail "/c: no box to click"
fi

# Transient for the active window, which the test makes active as a window
# manager would.
"$XPROBE" window 200 100 >"$WORK/active" &
PIDS+=("$!")
for _ in $(seq 100); do [ -s "$WORK/active" ] && break; sleep 0.05; done
ACTIVE=$(head -n1 "$WORK/active")
"$XPROBE" activate "$ACTIVE"
start_saver /c
if BOX=$("$XPROBE" wait-window Gushmire 5); then
  read -r TRANSIENT _ < <("$XPROBE" wm-info "$BOX")
  [ "$TRANSIENT" = "$ACTIVE" ] && pass "/c box transient for the active window" ||
    fail "/c transient for '$TRANSIENT', not '$ACTIVE'"
  xdotool key Escape
  wait_exit "$SAVER" 3
  [ "$RC" -eq 1 ] && pass "transient box closed with Escape, exit 1" ||
    fail "transient box: exit $RC"
else
  fail "/c over an active window: no box"
fi
finish
