# shellcheck shell=bash
# Sourced by the Wine tests that need two monitors, inside wine-run.sh's
# environment. `two_monitors_start DIR` starts an X server that Wine sees as
# two monitors and points DISPLAY and WINEPREFIX at it (a copy of the
# shared prefix, whose own wineserver stays on the shared Xvfb);
# `two_monitors_stop` ends all it started. The layout in Windows
# coordinates: the primary, 800x600 at (0, 0), and a 640x480 monitor left
# of it at (-640, 0); the virtual screen is (-640, 0) 1440x600.
#
# The server: Xorg with the dummy driver (../x_servers.sh). Wine 8's X11
# driver takes its monitors from the RandR 1.4 CRTCs of the connected
# outputs, and that server has a CRTC for each output.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
two_monitors_started=""

two_monitors_start() {
  local dir="$1"
  start_xorg_dummy "$dir" 1440 600 190 289 || return 1
  local pid="$x_pid" display="$x_display"
  two_monitors_started="$pid $dir"
  export DISPLAY="$display"
  # The second output is connected by giving it a mode; X puts it left of
  # the primary, so Windows sees it at negative coordinates.
  xrandr --addmode DUMMY1 640x480 &&
    xrandr --fb 1440x600 --output DUMMY0 --mode 800x600 --pos 640x0 \
      --primary --output DUMMY1 --mode 640x480 --pos 0x0 &&
    # Without a query after the change Wine 8 still saw one monitor (it
    # reads the server's current resources and does not poll them).
    xrandr --listmonitors >"$dir/monitors.txt" || {
    echo "two-monitors: xrandr could not set the layout" >&2
    return 1
  }
  # The shared wineserver writes the registry to disk only every 30 s (and
  # when it ends): a prefix copied before then has none, and Wine showed
  # one monitor with it.
  for _ in $(seq 1 600); do
    [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/user.reg" ] && break
    sleep 0.1
  done
  # Hard links spare copying over a gigabyte; the registry files, which the
  # new wineserver rewrites, become copies of their own (other files are
  # only read). Across file systems (Debian 13 keeps /tmp in memory) it
  # takes a real copy.
  { cp -al "$WINEPREFIX" "$dir/prefix" 2>/dev/null ||
    { rm -rf "$dir/prefix" && cp -a "$WINEPREFIX" "$dir/prefix"; }; } &&
    for file in "$WINEPREFIX"/*.reg; do
      cp --remove-destination "$file" "$dir/prefix/"
    done || {
    echo "two-monitors: could not copy the Wine prefix" >&2
    return 1
  }
  export WINEPREFIX="$dir/prefix"
}

two_monitors_stop() {
  [ -n "$two_monitors_started" ] || return 0
  local pid="${two_monitors_started%% *}" dir="${two_monitors_started#* }"
  two_monitors_started=""
  WINEPREFIX="$dir/prefix" timeout 30 wineserver -k 2>/dev/null || true
  kill "$pid" 2>/dev/null || true
  timeout 10 tail --pid="$pid" -f /dev/null || kill -9 "$pid" 2>/dev/null || true
  rm -rf "$dir/prefix"
}
