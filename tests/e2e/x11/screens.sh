# Screens of every kind: depths 8 (PseudoColor), 16, 24 and sizes from
# 160x120 to 3840x2160, and servers without MIT-SHM or without RandR (the
# whole screen is then the one monitor). Each full-screen run
# starts from the desktop, shows the animation over part of it and ends on a
# key.
source "$(dirname "$0")/lib.sh"
for kind in 160x120x24 640x480x16 640x480x8 1024x768x24 3840x2160x24 \
  "800x600x24 -extension MIT-SHM" "640x480x24 -extension RANDR"; do
  screen=${kind%% *}
  # shellcheck disable=SC2086 # the server arguments split on purpose
  start_xvfb $kind
  size=${screen%x*}
  total=$((${size%x*} * ${size#*x}))
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
    draws_over_part "$kind" "$total" 15 20
    xdotool key space
    wait_exit "$SAVER" 3
    [ "$RC" -eq 0 ] && pass "$kind: key ends it" || fail "$kind: exit $RC"
  else
    fail "$kind: no saver window"
  fi
  stop_xvfb
done
finish
