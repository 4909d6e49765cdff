# shellcheck shell=bash
# Shared by the Wayland end-to-end scripts: a private headless compositor
# per script (sway, or weston for the xdg-shell fallback), its clients, and
# screenshots and input on it.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
begin_suite
COMPOSITOR_PID=
LAUNCHER_PID=
SWAYBG_PID=
at_exit 'stop_pid "$SWAYBG_PID"; kill_compositor TERM'
# Known desktop pixels: swaybg paints every output this colour.
DESKTOP_COLOR=${DESKTOP_COLOR:-204080}
# Two outputs of fixed modes; HEADLESS-2 at scale 2 is 320x240 logical.
OUTPUT_MODE=${OUTPUT_MODE:-640x480}

# sway refuses to run as root, so under root the compositor and its clients
# run as nobody; the work folder must then be reachable by that user.
as_nobody_under_root
RUNTIME=$WORK/run
mkdir -m 700 "$RUNTIME"
[ "${#AS_USER[@]}" -eq 0 ] || chown nobody:nogroup "$RUNTIME"
WAYLAND_DISPLAY=
SWAYSOCK=

# CLIENT_ENV: the command prefix that runs a program as the compositor's
# user, against its socket, with no X display to fall back on.
client_env() {
  CLIENT_ENV=("${AS_USER[@]}" env -u DISPLAY -u WAYLAND_SOCKET HOME="$RUNTIME"
    XDG_RUNTIME_DIR="$RUNTIME" WAYLAND_DISPLAY="$WAYLAND_DISPLAY"
    SWAYSOCK="$SWAYSOCK")
}
as_client() {
  client_env
  "${CLIENT_ENV[@]}" "$@"
}

# start_client LOG COMMAND...: the same in the background, output added to
# LOG; sets CLIENT to the program's own PID (a function put in the
# background would give a subshell's, and killing that leaves the program
# running). COMMAND may start with NAME=VALUE settings for its environment.
start_client() {
  client_env
  "${CLIENT_ENV[@]}" "${@:2}" >>"$1" 2>&1 &
  CLIENT=$!
  PIDS+=("$CLIENT")
}

# reachable PROGRAM: a copy the compositor's user can run, since the build
# may sit in a folder it cannot enter; prints its path.
reachable() {
  mkdir -p "$WORK/bin"
  cp "$1" "$WORK/bin/" && chmod 755 "$WORK/bin/$(basename "$1")" &&
    echo "$WORK/bin/$(basename "$1")"
}

# runtime_socket PATTERN: the first socket in $RUNTIME named so, once there.
runtime_socket() { find "$RUNTIME" -maxdepth 1 -type s -name "$1" | grep -m1 .; }
# The compositor's listening socket (wayland-N) and sway's IPC socket.
find_socket() { WAYLAND_DISPLAY=$(runtime_socket 'wayland-*') &&
  WAYLAND_DISPLAY=${WAYLAND_DISPLAY##*/}; }
find_swaysock() { SWAYSOCK=$(runtime_socket 'sway-ipc.*.sock'); }

output_names() {
  as_client swaymsg -r -t get_outputs 2>/dev/null | python3 -c '
import json, sys
for o in json.load(sys.stdin): print(o["name"])'
}
output_count_is() { [ "$(output_names | wc -l)" -eq "$1" ]; }

# give_up WHY LOG: the compositor is not there; says why, shows $WORK/LOG
# and ends the script.
give_up() {
  echo "$1"; cat "$WORK/$2"
  exit 1
}
# launch LOG COMMAND...: starts the compositor as the compositor's user; sets
# COMPOSITOR_PID. Under root it runs as init of a PID namespace of its own,
# so the helpers it spawns (weston's shell client) are reaped when it ends
# even where the machine's init reaps nothing.
launch() {
  local log=$1
  shift
  if [ "${#AS_USER[@]}" -eq 0 ]; then
    "$@" >"$log" 2>&1 &
    COMPOSITOR_PID=$!
    return 0
  fi
  unshare --pid --fork --kill-child=TERM "${AS_USER[@]}" "$@" >"$log" 2>&1 &
  LAUNCHER_PID=$!
  wait_until 5 eval 'COMPOSITOR_PID=$(ps -o pid= --ppid $LAUNCHER_PID)
    [ -n "$COMPOSITOR_PID" ]' || { echo "no compositor"; exit 1; }
  COMPOSITOR_PID=${COMPOSITOR_PID// /}
}

# start_sway [CONFIG LINES...]: headless sway with HEADLESS-1 (scale 1) and
# HEADLESS-2 (scale 2) side by side, swaybg painting $DESKTOP_COLOR; returns
# once both outputs show that colour. Exits the script when sway does not
# come up within 10 s.
start_sway() {
  local config=$WORK/sway.config w=${OUTPUT_MODE%x*}
  {
    # The test owns swaybg (sway would start it detached, out of reach).
    echo "swaybg_command -"
    # Xwayland's sockets and lock files in /tmp outlive a killed sway: only
    # a test that asks (XWAYLAND=1) gets it, and cleans up after it.
    [ "${XWAYLAND:-0}" = 1 ] || echo "xwayland disable"
    echo "output HEADLESS-1 mode $OUTPUT_MODE position 0 0 scale 1"
    echo "output HEADLESS-2 mode $OUTPUT_MODE position $w 0 scale 2"
    printf '%s\n' "$@"
  } >"$config"
  chmod 644 "$config"
  launch "$WORK/sway.log" env -i PATH="$PATH" HOME="$RUNTIME" \
    XDG_RUNTIME_DIR="$RUNTIME" WLR_BACKENDS=headless WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=2 sway -c "$config"
  wait_until 10 find_socket && wait_until 10 find_swaysock &&
    wait_until 10 output_count_is 2 || give_up "sway did not start" sway.log
  "${AS_USER[@]}" env -i PATH="$PATH" HOME="$RUNTIME" \
    XDG_RUNTIME_DIR="$RUNTIME" WAYLAND_DISPLAY="$WAYLAND_DISPLAY" \
    swaybg -o '*' -c "#$DESKTOP_COLOR" >"$WORK/swaybg.log" 2>&1 &
  SWAYBG_PID=$!
  wait_until 10 desktop_shown HEADLESS-1 &&
    wait_until 10 desktop_shown HEADLESS-2 ||
    give_up "swaybg did not paint the desktop" swaybg.log
}

# start_lock_sway: start_sway for the lock's scripts, which skip unless
# sway has ext-session-lock (1.8 and later) and pam_wrapper and pam_matrix
# are there; sets pam_wrapper and pam_matrix to the libraries.
start_lock_sway() {
  skip_unless sway swaybg swaymsg grim wtype python3 convert identify
  pam_wrapper=$(find /usr/lib -name libpam_wrapper.so -print -quit 2>/dev/null)
  pam_matrix=$(find /usr/lib -name pam_matrix.so -print -quit 2>/dev/null)
  [ -n "$pam_wrapper" ] && [ -n "$pam_matrix" ] ||
    skip "pam_wrapper and pam_matrix (libpam-wrapper) are not installed"
  start_sway
  local version
  version=$(as_client swaymsg -t get_version -r | python3 -c '
import json, sys; v = json.load(sys.stdin); print(v["major"] * 100 + v["minor"])')
  [ "$version" -ge 108 ] || skip "sway $version has no ext-session-lock"
}

# pam_service PASSWORD [DELAY_US]: the service "gushmire" as pam_wrapper
# finds it, pam_matrix knowing one account, the compositor's user, with
# PASSWORD; with DELAY_US, PAM waits that long after a wrong password
# (pam_faildelay), as a real service does. Sets PAM_ENV, the environment
# that puts the lock under them (no deep binding, which the sanitizers
# refuse).
pam_service() {
  local faildelay
  faildelay=$(find /usr/lib -name pam_faildelay.so -print -quit 2>/dev/null)
  mkdir -p "$WORK/pam"
  {
    [ -z "${2:-}" ] || [ -z "$faildelay" ] ||
      echo "auth optional $faildelay delay=$2"
    echo "auth required $pam_matrix"
    echo "account required $pam_matrix"
  } >"$WORK/pam/gushmire"
  printf '%s:%s:gushmire\n' "$(as_client id -un)" "$1" >"$WORK/pam/passdb"
  chmod -R a+rX "$WORK/pam"
  PAM_ENV=(LD_PRELOAD="$pam_wrapper" PAM_WRAPPER=1
    PAM_WRAPPER_SERVICE_DIR="$WORK/pam" PAM_MATRIX_PASSWD="$WORK/pam/passdb"
    PAM_WRAPPER_DISABLE_DEEPBIND=1 UID_WRAPPER_DISABLE_DEEPBIND=1
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0")
}

# start_lock LOG ARGS...: gushmire --lock ARGS under pam_service, its
# Wayland messages in LOG; sets HOLDER.
start_lock() {
  start_client "$1" "${PAM_ENV[@]}" WAYLAND_DEBUG=1 "$GUSHMIRE" --lock "${@:2}"
  HOLDER=$CLIENT
}

# The scripts read the client's WAYLAND_DEBUG log for what pixels cannot
# show. libwayland 1.23 writes an object as interface#id where 1.21 wrote
# interface@id, and prefixes the queue: patterns take [@#] and no line start.

# screenshot OUTPUT FILE: the output at its device pixels, as PNG (grim
# writes to stdout, so FILE needs no permission for the compositor's user).
screenshot() { as_client timeout 5 grim -o "$1" - >"$2" 2>>"$WORK/grim.log"; }
png_size() { identify -format '%wx%h' "$1" 2>/dev/null; }
# pixel FILE X Y: the pixel's colour as RRGGBB (upper case).
pixel() {
  convert "$1" -format "%[hex:p{$2,$3}]" info:- 2>/dev/null | cut -c1-6
}
# colour_share FILE RRGGBB: how many pixels have that colour.
colour_share() {
  convert -precision 12 "$1" -alpha off -fill black +opaque "#$2" -fill white \
    -opaque "#$2" -format '%[fx:int(mean*w*h+0.5)]' info:- 2>/dev/null
}
# desktop_shown OUTPUT: the middle of the output has the desktop colour.
desktop_shown() {
  local f=$WORK/probe.png size
  screenshot "$1" "$f" || return 1
  size=$(png_size "$f") || return 1
  [ "$(pixel "$f" $((${size%x*} / 2)) $((${size#*x} / 2)))" = \
    "${DESKTOP_COLOR^^}" ]
}

# send_keys KEY...: each key typed through a virtual keyboard (wtype -k),
# after a pause: clients learn of the new keyboard from the seat and must
# ask for it before its keys come, or they never see them.
send_keys() {
  local k args=(-s 300)
  for k in "$@"; do args+=(-k "$k"); done
  as_client wtype "${args[@]}"
}

# add_output: a new headless output while sway runs; sets NEW_OUTPUT.
add_output() {
  local before
  before=$(output_names)
  as_client swaymsg create_output >/dev/null || return 1
  wait_until 5 eval '[ "$(output_names | wc -l)" -gt "$(echo "$before" | wc -l)" ]' ||
    return 1
  NEW_OUTPUT=$(output_names | grep -vxF "$before" | head -n1)
  [ -n "$NEW_OUTPUT" ]
}

# red_count FILE: how many pixels are clearly red (a splat of blood).
# Read from the pixel list ("X,Y: (R,G,B) ..."), which ImageMagick 6 and 7
# print alike; an -fx expression makes 7.1 print a stray word first.
red_count() {
  convert "$1" -alpha off -depth 8 txt:- 2>/dev/null | awk -F'[(),]' '
    /^[0-9]/ { r = $3 + 0; g = $4 + 0; b = $5 + 0
               if (r > 2 * g && r > 2 * b && r > 25.5) n++ }
    END { print n + 0 }'
}

# hold_pointer: a vpointer that stays connected, reading its actions from
# `point ACTION...` (the seat keeps one pointer device throughout).
hold_pointer() {
  mkfifo -m 666 "$WORK/pointer.fifo"
  # There before vpointer opens it: `point` counts its lines at once.
  : >"$WORK/pointer.out"
  client_env
  "${CLIENT_ENV[@]}" "$VPOINTER" - <"$WORK/pointer.fifo" \
    >"$WORK/pointer.out" 2>&1 &
  PIDS+=("$!")
  exec 7>"$WORK/pointer.fifo"
}
# point ACTION...: one line of vpointer actions; returns once it is done.
point() {
  local before
  before=$(grep -c done "$WORK/pointer.out")
  echo "$*" >&7
  wait_until 5 eval '[ "$(grep -c done "$WORK/pointer.out")" -gt "$before" ]'
}
# point_at X Y: the pointer to X Y of HEADLESS-1 (scale 1): to the layout's
# top-left corner first, where moves stop, since sway 1.7 starts it there
# and sway 1.10 elsewhere.
point_at() { point move -100000 -100000 && point move "$1" "$2"; }

# savers: how many of the script's gushmire processes run (a copy made by
# `reachable`).
savers() { pgrep -c -f "$WORK/bin/gushmire" || true; }
# ends_with WHAT PID SECONDS CODE: PID, ours, ends within SECONDS with CODE,
# and no gushmire of ours is left.
ends_with() {
  local rc=124
  wait_until "$3" eval "! running $2" && { wait "$2"; rc=$?; }
  [ "$rc" -eq "$4" ] && wait_until 2 eval '[ "$(savers)" -eq 0 ]' &&
    pass "$1: exit $4" || fail "$1: exit $rc (124: still running), $(savers) left"
}

# kill_compositor [SIGNAL]: ends the compositor (SIGTERM by default, SIGKILL
# to mimic a crash); its clients see the connection go.
kill_compositor() {
  [ -n "$COMPOSITOR_PID" ] || return 0
  kill -"${1:-TERM}" "$COMPOSITOR_PID" 2>/dev/null
  wait_until 5 eval "! running $COMPOSITOR_PID" ||
    kill -9 "$COMPOSITOR_PID" 2>/dev/null
  stop_pid "$LAUNCHER_PID"
  COMPOSITOR_PID=
  LAUNCHER_PID=
  stop_pid "$SWAYBG_PID"
  SWAYBG_PID=
  # A killed compositor leaves its socket and lock file behind.
  rm -rf "${RUNTIME:?}"/*
  if [ -n "${X_DISPLAY:-}" ]; then
    rm -f "/tmp/.X${X_DISPLAY#:}-lock" "/tmp/.X11-unix/X${X_DISPLAY#:}"
    X_DISPLAY=
  fi
}

# find_x_display: the display of sway's Xwayland (XWAYLAND=1), in
# X_DISPLAY; sway sets DISPLAY for its children once Xwayland is ready.
find_x_display() {
  as_client swaymsg exec 'echo $DISPLAY >$XDG_RUNTIME_DIR/display' >/dev/null
  sleep 0.2
  X_DISPLAY=$(grep '^:[0-9]*$' "$RUNTIME/display" 2>/dev/null) &&
    [ -n "$X_DISPLAY" ]
}

# start_weston [WIDTH HEIGHT [SCALE]]: headless weston (pixman) for the
# xdg-shell fallback: no layer shell, screencopy, virtual input or seat.
start_weston() {
  WAYLAND_DISPLAY=gushmire-weston
  # No on-screen keyboard: weston would respawn it while it shuts down.
  printf '[input-method]\npath=\n' >"$WORK/weston.ini"
  chmod 644 "$WORK/weston.ini"
  launch "$WORK/weston.log" env -i PATH="$PATH" HOME="$RUNTIME" \
    XDG_RUNTIME_DIR="$RUNTIME" weston --backend=headless-backend.so \
    --config="$WORK/weston.ini" --use-pixman --socket="$WAYLAND_DISPLAY" \
    --idle-time=0 --width="${1:-640}" --height="${2:-480}" --scale="${3:-1}"
  wait_until 10 test -S "$RUNTIME/$WAYLAND_DISPLAY" ||
    give_up "weston did not start" weston.log
}
