#!/usr/bin/env bash
# Pictures of the native full-screen saver on two monitors of different
# sizes, a 1024x768 one and an 800x600 one right of it, over one desktop
# picture across both, on Xorg with the dummy driver
# (tests/e2e/lib.sh). Each monitor runs its own series; the strip below
# the smaller one, which no monitor shows, keeps the desktop. Saves the
# whole X screen at each of the SECONDS given.
# Usage: tools/screenshots/x11-two-monitors.sh GUSHMIRE XPROBE OUT_PREFIX
#        SECONDS...
set -u
gushmire=$(realpath "$1")
xprobe=$(realpath "$2")
prefix=$3
shift 3
source "$(dirname "$0")/../../tests/e2e/lib.sh"
work=$(mktemp -d)
saver=
cleanup() {
  [ -n "$saver" ] && kill "$saver" 2>/dev/null && wait "$saver" 2>/dev/null
  [ -n "${x_pid:-}" ] && kill "$x_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
start_xorg_dummy "$work/xorg" 1824 768 590 689 || exit 1
export DISPLAY=$x_display
two_outputs 1824x768 1024x768 0x0 800x600 1024x0 >/dev/null || exit 1
# A desktop-like picture: a gradient across both monitors.
convert -size 768x1824 gradient:'#4a90d9'-'#16365e' -rotate -90 \
  -depth 8 "$work/desktop.ppm" && "$xprobe" desktop "$work/desktop.ppm" || exit 1
"$gushmire" /s &
saver=$!
elapsed=0
for at in "$@"; do
  sleep $((at - elapsed))
  elapsed=$at
  import -window root "$prefix-$at.png"
done
