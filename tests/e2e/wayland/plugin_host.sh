#!/usr/bin/env bash
# gushmire -root under a lock screen's plugin host: the tests' own host
# (plugin_host.cpp) hands it a connection in WAYLAND_SOCKET whose registry
# has wl_compositor, wl_shm, the outputs, the layer shell, wp_viewporter and
# wp_fractional_scale_manager_v1, and no seat, xdg_wm_base or screencopy.
# It must draw the whole output at once from black, keep drawing, draw on
# the output --screen names, and end with 0 on SIGTERM.
# Usage: plugin_host.sh GUSHMIRE PLUGIN_HOST
set -u
source "$(dirname "$0")/../lib.sh"
begin_suite
GUSHMIRE=$1
HOST=$2

# under NAME HOST-ARGS... -- PROGRAM...: a run of the host; its records in
# $WORK/NAME.out, the program's stderr in $WORK/NAME.err.
under() {
  local name=$1
  shift
  timeout 60 "$HOST" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err"
}
# field KEY FILE [PATTERN]: the values of KEY= on FILE's lines that match.
field() { grep -E "${3:-.}" "$2" | grep -o " $1=[^ ]*" | cut -d= -f2; }
# ended_by_term FILE: the program ran until the host's SIGTERM, then
# exited 0 within a second.
ended_by_term() {
  local term code ended
  term=$(field ms "$1" '^term ') && code=$(field code "$1" '^exit ') &&
    ended=$(field ms "$1" '^exit ') && [ "$code" = 0 ] &&
    [ $((ended - term)) -lt 1000 ]
}
# full_promptly FILE OUTPUT BUFFER SIZE: the first commit of a buffer of the
# output's device pixels came within 2 s, on that output, at the logical
# size the host configured.
full_promptly() {
  local ms
  ms=$(field ms "$1" "^full .* output=$2 ") && [ -n "$ms" ] &&
    [ "$ms" -lt 2000 ] &&
    grep -q "^configure .* size=$4 " "$1" &&
    grep -q "^commit .* output=$2 buffer=$3 .* size=$4 " "$1"
}
# only_on FILE OUTPUT: every layer surface and commit is on that output.
only_on() {
  grep -q "^layer_surface .* output=$2 " "$1" &&
    ! grep -E '^(layer_surface|commit) ' "$1" | grep -vq " output=$2 "
}
quiet() { ! grep -q . "$WORK/$1.err"; }

# One output named: the first of two, as a host that starts one process
# and names nothing gets.
under first --seconds 3 --output DP-1:800x600 --output HDMI-A-1:320x240@2 \
  -- "$GUSHMIRE" -root
out=$WORK/first.out
check "it binds what is there and asks for nothing missing" \
  eval "grep -q '^bind zwlr_layer_shell_v1 ' $out && ! grep -q '^error ' $out"
check "it runs until SIGTERM and ends with 0 within a second" \
  ended_by_term "$out"
check "it says nothing on stderr" quiet first
check "the whole first output at once (800x600 within 2 s)" \
  full_promptly "$out" DP-1 800x600 800x600
check "a background layer surface with no keyboard, on the first output" \
  eval "grep -q '^configure .* anchor=15 keyboard=0' $out &&
        grep -q '^layer_surface .* layer=0 namespace=gushmire' $out &&
        only_on $out DP-1"
check "it starts black (the desktop cannot be read)" \
  eval "[ \"\$(field black_permille $out | head -n1)\" = 1000 ]"
commits=$(grep -c '^commit ' "$out")
colours=$(field colours "$out" | tail -n1)
hashes=$(field hash "$out" | sort -u | wc -l)
check "it keeps drawing ($commits commits, $hashes different pictures, $colours colours at the end)" \
  eval "[ $commits -ge 8 ] && [ $hashes -ge 4 ] && [ ${colours:-0} -gt 1 ]"

# Per output: the host names the second output, at scale 2.
under second --seconds 2 --output DP-1:800x600 --output HDMI-A-1:320x240@2 \
  -- "$GUSHMIRE" --screen HDMI-A-1 -root
out=$WORK/second.out
check "--screen NAME: only on that output, at its device pixels" \
  eval "only_on $out HDMI-A-1 && full_promptly $out HDMI-A-1 640x480 320x240"
check "--screen NAME: ends with 0 on SIGTERM, quietly" \
  eval "ended_by_term $out && quiet second"

# A fractional scale: buffers of the device pixels, shown at the size the
# host configured.
under fractional --seconds 2 --output eDP-1:640x480@1.5 \
  -- "$GUSHMIRE" -root
out=$WORK/fractional.out
check "scale 1.5: 960x720 buffers shown at 640x480" \
  eval "full_promptly $out eDP-1 960x720 640x480 && ended_by_term $out"

# An output the host does not have: nothing to cover, so it ends at once
# with 3, as a process of the per-output split does.
under missing --seconds 5 --output DP-1:800x600 \
  -- "$GUSHMIRE" --screen DP-9 -root
out=$WORK/missing.out
check "--screen of a missing output: exit 3 at once, no surface" \
  eval "[ \"\$(field code $out '^exit ')\" = 3 ] &&
        [ \"\$(field ms $out '^exit ')\" -lt 2000 ] &&
        ! grep -q '^layer_surface ' $out"
finish
