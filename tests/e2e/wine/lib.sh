# shellcheck shell=bash
# What is Wine's own, sourced by the scripts that run Windows programs:
# the environment that wine-env-start.sh sets up, an X server that Wine
# sees as two monitors, and the helpers of the saver suites. Sourcing it
# only defines functions (wine-run.sh execs its command, which a trap would
# not outlive).
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

# need FILE: stops with a message when a file of the mingw build is missing.
need() {
  [ -f "$1" ] || {
    echo "$(basename "$0"): $1 is missing (build the mingw tree first)" >&2
    exit 1
  }
}

# wine_env STATE_DIR: exports the environment that wine-env-start.sh set up
# there (its DISPLAY, WINEPREFIX and a quiet WINEDEBUG).
wine_env() {
  [ -f "$1/display" ] || {
    echo "$(basename "$0"): no Wine environment in $1" >&2
    exit 1
  }
  DISPLAY="$(cat "$1/display")"
  export DISPLAY WINEPREFIX="$1/prefix" WINEDEBUG=-all
  if [ -f "$1/ld_preload" ]; then # see wine-env-start.sh
    LD_PRELOAD="$(cat "$1/ld_preload")"
    export LD_PRELOAD
  fi
}

# Two monitors, inside wine-run.sh's environment. `two_monitors_start DIR`
# starts an X server that Wine sees as two monitors and points DISPLAY and
# WINEPREFIX at it (a copy of the shared prefix, whose own wineserver stays
# on the shared Xvfb); `two_monitors_stop` ends all it started. The layout
# in Windows coordinates: the primary, 800x600 at (0, 0), and a 640x480
# monitor left of it at (-640, 0); the virtual screen is (-640, 0) 1440x600.
#
# The server: Xorg with the dummy driver (start_xorg_dummy). Wine 8's X11
# driver takes its monitors from the RandR 1.4 CRTCs of the connected
# outputs, and that server has a CRTC for each output.
two_monitors_started=""
two_monitors_start() {
  local dir="$1"
  start_xorg_dummy "$dir" 1440 600 190 289 || return 1
  local pid="$x_pid" display="$x_display"
  two_monitors_started="$pid $dir"
  export DISPLAY="$display"
  # The second output is connected by giving it a mode; X puts it left of
  # the primary, so Windows sees it at negative coordinates.
  two_outputs 1440x600 800x600 640x0 640x480 0x0 &&
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

# The saver suites, inside wine-run.sh's environment. One saverctl.exe
# serves all the saver runs of a script (a Wine process start costs
# seconds) and reports their events to files that the helpers poll; every
# wait is bounded, and every process a script starts is ended when it
# exits.

# begin_saver_suite: begin_suite, with the saver and saverctl.exe of the
# mingw build in GUSHMIRE_WINE_BUILD_DIR.
begin_saver_suite() {
  set -euo pipefail
  build="${GUSHMIRE_WINE_BUILD_DIR:?GUSHMIRE_WINE_BUILD_DIR not set}"
  helpers="$build/tests/e2e/wine/win"
  need "$build/gushmire.scr"
  need "$helpers/saverctl.exe"
  begin_suite
  server="" holder=""
}
stop_saverctl() {
  # The server ends when its input does.
  if [ -n "$server" ]; then
    kill "$holder"
    timeout 10 tail --pid="$server" -f /dev/null || kill "$server" || true
  fi
  # A saver left behind by a killed saverctl runs from our folder: end it.
  for pid in $(grep -lsF "${WORK##*/}" /proc/[0-9]*/cmdline | cut -d/ -f3); do
    [ "$pid" != $$ ] && kill "$pid" 2>/dev/null || true
  done
}

# Windows form of a Unix path, through Wine's Z: drive.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# stage DIR [verifier|none]: a copy of the saver in $WORK/DIR with MPR.DLL
# and, as asked, a PASSWORD.CPL next to it.
stage() {
  mkdir -p "$WORK/$1"
  cp "$build/gushmire.scr" "$helpers/standins/MPR.DLL" "$WORK/$1/"
  case "${2:-verifier}" in
  verifier) cp "$helpers/standins/PASSWORD.CPL" "$WORK/$1/" ;;
  esac
}

# launch NAME DIR "SAVERCTL OPTIONS" [ARGUMENTS]: has the server run the
# saver of $WORK/DIR; its events go to $WORK/NAME.out.
launch() {
  local fields=("$1" $3 "$(winpath "$WORK/$2/gushmire.scr")" "${@:4}")
  if [ -z "$server" ]; then
    mkfifo "$WORK/commands"
    # Wine prefers its own mpr.dll to one beside the program unless told.
    WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mpr=n,b" wine \
      "$helpers/saverctl.exe" --serve "$(winpath "$WORK")" \
      <"$WORK/commands" >"$WORK/server.log" 2>&1 &
    server=$!
    sleep 100000 >"$WORK/commands" & # keeps it open between runs
    holder=$!
    # Ended before anything the script set up earlier (a second X server).
    at_exit stop_saverctl
  fi
  (IFS=$'\x1f' && echo "${fields[*]}" >"$WORK/commands")
}

# saverctl [ARGUMENTS]: a saverctl of its own, its lines without CRs.
saverctl() { timeout 120 wine "$helpers/saverctl.exe" "$@" </dev/null | tr -d '\r'; }

# events NAME: what the server reported of a run so far.
events() { tr -d '\r' 2>/dev/null <"$WORK/$1.out" || true; }

# wait_for NAME REGEX [SECONDS]: true once an event line matches.
wait_for() {
  local tries=$((${3:-20} * 10))
  until events "$1" | grep -Eq "$2"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] && kill -0 "$server" 2>/dev/null || return 1
    sleep 0.1
  done
}

# wait_end NAME [SECONDS]: waits for the run to end (the server ends the
# saver itself after its --timeout).
wait_end() { wait_for "$1" '^end$' "${2:-120}" || true; }

# start_saver NAME DIR: the full-screen saver, its window up and drawing.
start_saver() {
  xdotool mousemove 400 300
  launch "$1" "$2" "--timeout 90000" /s
  wait_for "$1" '^window ' 30 && sleep 1
}

# has NAME REGEX / lacks NAME REGEX: an event line matches, or none does.
has() { events "$1" | grep -Eq "$2"; }
lacks() { ! has "$@"; }

# log_of DIR: what the stand-in libraries of $WORK/DIR logged, ticks cut.
log_of() { tr -d '\r' 2>/dev/null <"$WORK/$1/standin.log" | cut -d' ' -f2-; }

# set_password TYPE DATA: the registry switch that turns the password on.
desktop='HKCU\Control Panel\Desktop'
set_password() {
  wine reg add "$desktop" /v ScreenSaveUsePassword /t "$1" /d "$2" /f \
    >/dev/null 2>&1
}
# checks DIR: password checks the stand-in of $WORK/DIR logged so far.
checks() { log_of "$1" | grep -c '^verify' || true; }
# verdict DIR ANSWER: what the stand-in answers from now on.
verdict() { echo "$2" >"$WORK/$1/verify.txt"; }
# refused_since N: more than N checks of the run "lock" within 5 s, and the
# saver runs on.
refused_since() {
  wait_until 5 eval '[ "$(checks lock)" -gt '"$1"' ]'
  [ "$(checks lock)" -gt "$1" ] && lacks lock '^exit'
}
# refused_steps [WHERE]: each xdotool step on standard input, one a line,
# must reach the saver of the run "lock" (a new check) and be refused.
refused_steps() {
  local step before
  while read -r step; do
    before="$(checks lock)"
    xdotool $step
    check "'$step'${1:+ $1} is refused" refused_since "$before"
    sleep 0.3 # past the quiet period
  done
}
