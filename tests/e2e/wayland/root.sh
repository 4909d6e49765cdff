#!/usr/bin/env bash
# gushmire -root on headless sway, as an animated wallpaper or a locker's
# background: the background layer of each output, starting from black
# (a lock screen must not show what it locks), never ending on input, ending
# with 0 on SIGTERM or SIGINT; and as one process on a connection handed
# over in WAYLAND_SOCKET, as a locker's plugin host starts it.
# Usage: root.sh GUSHMIRE VPOINTER
source "$(dirname "$0")/lib.sh"
skip_unless sway swaybg swaymsg grim wtype python3 convert identify
GUSHMIRE=$(reachable "$1")
VPOINTER=$(reachable "$2")
start_sway
# swaybg's own surface would hide ours on the background layer.
stop_pid "$SWAYBG_PID"
SWAYBG_PID=
hold_pointer
point_at 100 100

# background LOG N: N background layer surfaces without keyboard, drawn.
background() {
  [ "$(grep -c 'get_layer_surface(new id [^,]*, wl_surface[@#][0-9]*, wl_output[@#][0-9]*, 0, "gushmire")' "$1")" -eq "$2" ] &&
    [ "$(grep -c 'set_keyboard_interactivity(0)' "$1")" -eq "$2" ] &&
    grep -q -- '-> wl_surface[@#][0-9]*\.attach' "$1"
}
red_grows() {
  screenshot HEADLESS-1 "$WORK/a.png" && sleep 1.5 &&
    screenshot HEADLESS-1 "$WORK/b.png" &&
    [ "$(red_count "$WORK/b.png")" -gt "$(red_count "$WORK/a.png")" ]
}

log=$WORK/root.log
start_client "$log" WAYLAND_DEBUG=1 "$GUSHMIRE" -root
ROOT=$CLIENT
wait_until 5 background "$log" 2 &&
  pass "-root: a background layer surface on each output" ||
  fail "-root: $(grep -E 'get_layer_surface|gushmire:' "$log")"
wait_until 3 red_grows && pass "-root draws a growing red disc" ||
  fail "-root: no growing red disc"
corner=$(pixel "$WORK/b.png" 5 5)
[ "$corner" = 000000 ] && pass "-root starts from black" ||
  fail "-root: #$corner in the corner, not black"

point move 30 30 click click right
send_keys x Escape
sleep 1
running "$ROOT" && [ "$(savers)" -eq 3 ] &&
  pass "-root survives travel, clicks and keys" || fail "-root ended on input"
kill -TERM "$ROOT"
ends_with "SIGTERM ends -root on every output" "$ROOT" 2 0

# Handed over: one connection, one process, on the first output.
start_client "$WORK/socket.log" WAYLAND_DEBUG=1 python3 -c '
import os, socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"],
                       os.environ.pop("WAYLAND_DISPLAY")))
os.set_inheritable(s.fileno(), True)
os.environ["WAYLAND_SOCKET"] = str(s.fileno())
os.execv(sys.argv[1], sys.argv[1:])' "$GUSHMIRE" -root
ROOT=$CLIENT
wait_until 5 background "$WORK/socket.log" 1 && sleep 0.5 &&
  [ "$(savers)" -eq 1 ] &&
  pass "WAYLAND_SOCKET: one process draws on the background layer" ||
  fail "WAYLAND_SOCKET: $(savers) processes, $(grep -E 'get_layer_surface|gushmire:' "$WORK/socket.log")"
kill -INT "$ROOT"
ends_with "SIGINT ends the handed-over -root" "$ROOT" 2 0
finish
