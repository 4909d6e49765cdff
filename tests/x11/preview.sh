# The preview inside a window another program made: drawn at its size,
# input never ends it, and it ends with 0 when that window is destroyed.
source "$(dirname "$0")/lib.sh"
start_xvfb 640x480x24
"$XPROBE" window 200 150 >"$WORK/host" &
host=$!
PIDS+=("$host")
for i in $(seq 100); do [ -s "$WORK/host" ] && break; sleep 0.05; done
id=$(head -n1 "$WORK/host")
"$XPROBE" window-image "$id" "$WORK/before"
start_saver /p "$id"
# The child shows the window's own picture first, then draws over it.
if wait_drawn "$id" "$WORK/before"; then
  [ "$CHANGED" -lt 15000 ] &&
    pass "preview draws over the window's picture ($CHANGED pixels)" ||
    fail "preview covered $CHANGED of 30000 pixels at once"
else
  fail "nothing drawn in the preview window"
fi
pointer_to 50 50
xdotool key x click 1
xdotool mousemove_relative 30 30
sleep 0.5
kill -0 "$SAVER" 2>/dev/null && pass "input leaves the preview running" ||
  fail "preview ended on input"
kill "$host"
wait "$host" 2>/dev/null
wait_exit "$SAVER" 2
[ "$RC" -eq 0 ] && pass "window destroyed: preview exits 0" ||
  fail "after the window went: exit $RC"
finish
