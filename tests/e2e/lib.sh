# shellcheck shell=bash
# Shared by the end-to-end suites and the scripts around them. Sourcing it
# only defines functions; a suite calls `begin_suite` for its work folder
# and exit handling, prints a verdict line per check (`pass`, `fail`,
# `check`) and ends with `finish`, the tally.

# begin_suite: a work folder in $WORK, processes to end in PIDS, and at
# exit: those processes ended, the at_exit commands run (last first), the
# suite's Xvfb ended, and $WORK removed, or kept with a note when a check
# failed or GUSHMIRE_KEEP is set.
begin_suite() {
  WORK=$(mktemp -d "${TMPDIR:-/tmp}/gushmire-e2e.XXXXXX")
  PIDS=()
  AT_EXIT=(stop_xvfb)
  XVFB_PID=
  PASSED=0 FAILED=0
  trap end_suite EXIT
}
# at_exit COMMAND: runs it (through eval) when the script exits.
at_exit() { AT_EXIT+=("$*"); }
end_suite() {
  local pid i
  for pid in "${PIDS[@]}"; do
    stop_pid "$pid"
  done
  for ((i = ${#AT_EXIT[@]} - 1; i >= 0; i--)); do
    eval "${AT_EXIT[i]}" || true
  done
  if [ "$FAILED" -eq 0 ] && [ -z "${GUSHMIRE_KEEP:-}" ]; then
    rm -rf "$WORK"
  else
    echo "logs kept in $WORK"
  fi
}

# Verdicts: one line per check; `check DESCRIPTION COMMAND...` gives the
# command's.
pass() {
  PASSED=$((PASSED + 1))
  echo "ok   $*"
}
fail() {
  FAILED=$((FAILED + 1))
  echo "FAIL $*"
}
check() { if "${@:2}"; then pass "$1"; else fail "$1"; fi; }
# finish: the tally, 'N passed, N failed'; exits non-zero when a check
# failed.
finish() {
  echo "$PASSED passed, $FAILED failed"
  exit $((FAILED > 0))
}
# skip WHY: the suite cannot run here; says so and passes.
skip() {
  echo "SKIPPED: $*"
  exit 0
}
# skip_unless PROGRAM...: skips unless every program is installed.
skip_unless() {
  local p
  for p in "$@"; do
    command -v "$p" >/dev/null || skip "no $p"
  done
}

# wait_until SECONDS COMMAND...: polls COMMAND every 50 ms; false on timeout.
wait_until() {
  local steps
  steps=$(awk "BEGIN { print int($1 * 20) }")
  for _ in $(seq "$steps"); do
    "${@:2}" && return 0
    sleep 0.05
  done
  "${@:2}"
}
# running PID: the process exists and has not ended (an unreaped child of
# ours that ended still answers kill -0).
running() {
  local s
  s=$(ps -o stat= -p "$1" 2>/dev/null) && [ "${s#Z}" = "$s" ]
}
# stop_pid PID: SIGTERM, up to 2 s, then SIGKILL; reaps it if it is ours.
stop_pid() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null || { wait "$1" 2>/dev/null; return 0; }
  wait_until 2 eval "! running $1" || kill -9 "$1" 2>/dev/null
  wait "$1" 2>/dev/null
  return 0
}
# as_nobody_under_root: programs that refuse root (sway, XScreenSaver's
# hacks) run through "${AS_USER[@]}", as nobody under root; $WORK is then
# opened to that user.
as_nobody_under_root() {
  AS_USER=()
  if [ "$(id -u)" -eq 0 ]; then
    chmod 755 "$WORK"
    AS_USER=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
  fi
}

# X servers. start_xvfb gives a suite a server of its own; start_x_server
# takes a free display number in a range for servers that outlive a
# script; start_xorg_dummy starts Xorg with the dummy video driver, the one
# headless server on Debian 12 that shows several monitors of different
# sizes side by side.

# start_xvfb WIDTHxHEIGHTxDEPTH [SERVER ARGS...]: a new server on a free
# display, ended by stop_xvfb or at exit; exports DISPLAY and sets XVFB_PID,
# or ends the script.
start_xvfb() {
  local fifo=$WORK/displayfd
  : >"$fifo"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset "${@:2}" 3>"$fifo" \
    2>"$WORK/xvfb.log" &
  XVFB_PID=$!
  if wait_until 5 test -s "$fifo"; then
    export DISPLAY=:$(head -n1 "$fifo")
    return 0
  fi
  echo "Xvfb did not start"; cat "$WORK/xvfb.log"
  exit 1
}
stop_xvfb() {
  [ -n "$XVFB_PID" ] || return 0
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}

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
# Outputs are laid out with two_outputs afterwards.
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

# two_outputs FRAMEBUFFER MODE0 POS0 MODE1 POS1: the dummy server's first
# two outputs lit at those modes and places (WxH, XxY), the first primary.
two_outputs() {
  xrandr --addmode DUMMY1 "$4" &&
    xrandr --fb "$1" --output DUMMY0 --mode "$2" --pos "$3" --primary \
      --output DUMMY1 --mode "$4" --pos "$5"
}
