# The configure box (an About box) shows as a window of its own and closes
# with Return or Escape; the mode's exit code is the box's result, 1.
source "$(dirname "$0")/lib.sh"
start_xvfb 640x480x24
for key in Return Escape; do
  for switch in /c ""; do
    start_saver $switch
    if "$XPROBE" wait-window Gushmire 5 >/dev/null; then
      sleep 0.2
      xdotool key "$key"
      wait_exit "$SAVER" 3
      [ "$RC" -eq 1 ] && pass "'$switch' box closed with $key, exit 1" ||
        fail "'$switch' box with $key: exit $RC"
    else
      fail "'$switch': no box"
    fi
  done
done
finish
