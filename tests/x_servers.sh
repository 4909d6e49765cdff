# shellcheck shell=bash
# Sourced by the tests that start X servers of their own: `start_x_server`
# takes a free display number, `start_xorg_dummy` starts Xorg with the dummy
# video driver, the one headless server on Debian 12 that shows several
# monitors of different sizes side by side.

# start_x_server FIRST LAST LOG SERVER [ARGS...]: runs `SERVER :N ARGS` on
# the first display N from FIRST to LAST that it gets, output to LOG; sets
# x_display (":N") and x_pid, or fails. A server refuses a display whose
# lock is held, so trying numbers in turn picks a free one even when
# several test runs start at once.
start_x_server() {
  local first="$1" last="$2" log="$3" n pid
  shift 3
  x_display="" x_pid=""
  for n in $(seq "$first" "$last"); do
    [ -e "/tmp/.X$n-lock" ] && continue
    "$@" ":$n" >"$log" 2>&1 &
    pid=$!
    for _ in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      # Ours only when the lock names our server, not a racing one.
      if [ -S "/tmp/.X11-unix/X$n" ] &&
        [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ]; then
        x_display=":$n" x_pid="$pid"
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  return 1
}

# start_xorg_dummy DIR WIDTH HEIGHT FIRST LAST: Xorg with the dummy driver
# and a framebuffer of up to WIDTHxHEIGHT on a free display from FIRST to
# LAST, its files in DIR; sets x_display and x_pid, or says why it failed.
# Outputs are laid out with xrandr afterwards.
#
# Why this server: the dummy driver (xserver-xorg-video-dummy 0.4) has
# sixteen RandR outputs, each with a CRTC of its own; `xrandr --addmode`
# and `--output ... --mode` light a second one, and RandR then lists two
# monitors at their own places and sizes. Xvfb has one CRTC:
# `xrandr --setmonitor` adds a RandR 1.5 monitor that the server still
# lists as one (and Wine never reads), and +xinerama puts every screen at
# (0, 0).
start_xorg_dummy() {
  local dir="$1" width="$2" height="$3"
  command -v Xorg >/dev/null &&
    [ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] || {
    echo "Xorg or its dummy driver is missing (run scripts/setup.sh)" >&2
    return 1
  }
  mkdir -p "$dir/xorg.conf.d"
  cat >"$dir/xorg.conf" <<EOF
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam $((width * height * 8 / 1024 > 65536 ? width * height * 8 / 1024 : 65536))
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual $width $height
  EndSubSection
EndSection
EOF
  xorg_dummy() { # exec: the pid is the server's own
    exec Xorg "$1" -config "$dir/xorg.conf" -configdir "$dir/xorg.conf.d" \
      -noreset -nolisten tcp -logfile "$dir/xorg.log"
  }
  start_x_server "$4" "$5" "$dir/xorg.out" xorg_dummy || {
    echo "Xorg did not come up (see $dir/xorg.log)" >&2
    return 1
  }
}
