# The full-screen saver on two monitors of different sizes, 800x600 at
# (0, 0) and 640x480 at (800, 0), on Xorg with the dummy driver (see
# ../lib.sh for why that server). Each monitor gets a saver of its own
# at its own size over its own part of the desktop; the 640x120 below the
# second, which no monitor shows, is never drawn. Input over either monitor
# ends both with one exit code; a saver that dies takes the other along; a
# second start gives way and raises the savers; a monitor switched off loses
# its saver and gets a new one when it comes back.
source "$(dirname "$0")/lib.sh"
start_xorg_dummy "$WORK/xorg" 1440 600 390 489 || exit 1
XVFB_PID=$x_pid # ended at exit as a suite's Xvfb is
export DISPLAY=$x_display
two_outputs 1440x600 800x600 0x0 640x480 800x0 || fail "xrandr layout"
first=800x600+0+0 second=640x480+800+0 unshown=640x120+800+480
"$XPROBE" desktop
for part in first second unshown; do
  "$XPROBE" snap "$WORK/$part" "${!part}"
done

# The saver windows' areas, sorted, one a line.
areas() {
  xwininfo -root -children | awk '/"Screen Saver"/ { print $(NF - 1) }' |
    sort
}
# wait_areas EXPECTED: up to 5 s for the windows to be those.
areas_are() { [ "$(areas | tr '\n' ' ')" = "$1" ]; }
wait_areas() { wait_until 5 areas_are "$1"; }
both="$second $first "
# run_saver X Y: starts /s with the pointer at (X, Y), waits for both.
run_saver() {
  pointer_to "$1" "$2"
  start_saver /s
  wait_areas "$both" || { fail "saver windows: $(areas | tr '\n' ' ')"; return 1; }
}
# ends WHAT CODE: the saver ends within 3 s with CODE, leaving nothing.
ends() {
  wait_exit "$SAVER" 3
  [ "$RC" -eq "$2" ] && pass "$1 ends both with $2" || fail "$1: exit $RC"
  sleep 0.2
  [ -z "$(areas)" ] || fail "$1: windows left: $(areas | tr '\n' ' ')"
  pgrep -x gushmire -P "$SAVER" >/dev/null && fail "$1: a saver left"
}

if run_saver 100 100; then
  pass "a window on each monitor, at its size"
  # The savers' own processes, each told its monitor.
  screens=$(ps -o args= --ppid "$SAVER" | grep -o -- '--screen [^ ]*' | sort)
  [ "$screens" = "$(printf -- '--screen DUMMY0@%s\n--screen DUMMY1@%s' \
    "$first" "$second")" ] && pass "one process per monitor" ||
    fail "processes: $screens"
  for part in first second; do
    drawn=$("$XPROBE" wait-change "$WORK/$part" 15 20 "${!part}") &&
      pass "$part monitor: its own animation ($drawn pixels)" ||
      fail "$part monitor: nothing drawn"
  done
  "$XPROBE" wait-change "$WORK/unshown" 0 1 "$unshown" >/dev/null &&
    fail "the part no monitor shows was drawn" ||
    pass "the part no monitor shows is left alone"
  "$XPROBE" cursor-hidden && pass "pointer hidden" || fail "pointer shown"
  # A second start gives way at once and raises both over a window that
  # covers part of them.
  host_window 100 80
  sleep 0.5
  "$XPROBE" top-title "xprobe preview host" || fail "cover window not on top"
  timeout 10 "$GUSHMIRE" /s >/dev/null 2>&1 || fail "second start: exit $?"
  [ "$(areas | tr '\n' ' ')" = "$both" ] && kill -0 "$SAVER" 2>/dev/null &&
    "$XPROBE" top-title "Screen Saver" && pass "a second start raises them" ||
    fail "second start: $(areas | tr '\n' ' ')"
  kill "$HOST"
  xdotool key x
  ends "a key" 0
fi

# Input over the second monitor, with the pointer there from the start.
if run_saver 1000 100; then
  xdotool click 1
  ends "a click on the second monitor" 0
fi
if run_saver 1000 100; then
  sleep 0.3
  xdotool mousemove_relative 2 2
  sleep 1
  kill -0 "$SAVER" 2>/dev/null && pass "travel of 4 pixels leaves them running" ||
    fail "travel of 4 pixels ended them"
  xdotool mousemove_relative 1 0
  ends "travel adding up to 5 pixels on the second monitor" 0
fi

# A monitor switched off loses its saver and the other runs on; switched on
# again it gets a new one.
if run_saver 100 100; then
  xrandr --output DUMMY1 --off
  wait_areas "$first " && kill -0 "$SAVER" 2>/dev/null &&
    pass "a monitor switched off: its saver ends, the other runs on" ||
    fail "monitor off: $(areas | tr '\n' ' ')"
  xrandr --output DUMMY1 --mode 640x480 --pos 800x0
  wait_areas "$both" && pass "switched on again: a saver of its own" ||
    fail "monitor back: $(areas | tr '\n' ' ')"
  xdotool key x
  ends "a key after the change" 0
fi

# Whichever saver held the grabs, the one left takes them: a key still
# ends it.
if run_saver 100 100; then
  xrandr --output DUMMY1 --off
  wait_areas "$first " && sleep 1
  xdotool key x
  ends "a key with one monitor left" 0
  xrandr --output DUMMY1 --mode 640x480 --pos 800x0
fi

# One saver killed ends the other.
if run_saver 100 100; then
  # Ours only: other suites may run savers of their own meanwhile.
  pkill -KILL -P "$SAVER" -f -- "--screen DUMMY1@" || fail "no saver to kill"
  ends "a saver killed" 137
fi

# Two started together, three times: one saver per monitor each time.
pointer_to 100 100
for run in 1 2 3; do
  start_saver /s
  one=$SAVER
  start_saver /s
  wait_areas "$both" && sleep 1 && [ "$(areas | tr '\n' ' ')" = "$both" ] ||
    fail "run $run: $(areas | tr '\n' ' ')"
  xdotool key x
  for pid in "$one" "$SAVER"; do
    wait_exit "$pid" 3
    [ "$RC" -eq 0 ] || fail "run $run: exit $RC"
  done
done
pass "two started together: one saver per monitor each time"

finish
