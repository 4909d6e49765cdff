# Screens of every kind: depths 8 (PseudoColor), 16, 24 and sizes from
# 160x120 to 3840x2160. Each full-screen run shows the animation and ends
# on a key.
source "$(dirname "$0")/lib.sh"
for screen in 160x120x24 640x480x16 640x480x8 1024x768x24 3840x2160x24; do
  start_xvfb "$screen"
  "$XPROBE" desktop
  "$XPROBE" snap "$WORK/desktop"
  pointer_to 1 1
  start_saver /s
  if wait_saver_window; then
    # At 8 bits the saver's palette recolours the whole desktop at once:
    # look for drawing from the recoloured picture on.
    if [ "${screen##*x}" = 8 ]; then
      sleep 0.2
      "$XPROBE" snap "$WORK/desktop"
    fi
    if drawn=$("$XPROBE" wait-change "$WORK/desktop" 15 20); then
      pass "$screen: animation shows ($drawn pixels)"
    else
      fail "$screen: nothing drawn"
    fi
    xdotool key space
    wait_exit "$SAVER" 3
    [ "$RC" -eq 0 ] && pass "$screen: key ends it" || fail "$screen: exit $RC"
  else
    fail "$screen: no saver window"
  fi
  stop_xvfb
done
finish
