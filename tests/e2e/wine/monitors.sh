#!/usr/bin/env bash
# The full-screen saver on two monitors with the password in use and the
# verifier refusing: its window covers the virtual screen, and no click or
# key on the second monitor closes it or reaches a window of another
# program that sits there. The X server is Xorg with the dummy video
# driver, which Wine sees as two monitors (lib.sh's two_monitors_start says
# why; Xvfb shows Wine one): the primary 800x600 at (0, 0) and the second
# 640x480 at (-640, 0), which is X's 0..640.
source "$(dirname "$0")/lib.sh"
begin_saver_suite
# Not in $WORK: the saver's clean-up ends whatever runs from there. The
# password switch lives in the copied prefix, which goes with the server.
displays="$(mktemp -d "${TMPDIR:-/tmp}/saver-monitors.XXXXXX")"
at_exit 'two_monitors_stop; rm -rf "$displays"'
two_monitors_start "$displays" || exit 1

set_password REG_DWORD 1
stage lock
verdict lock refuse
# A window of saverctl's on the second monitor, in the foreground when the
# saver starts; the pointer on the primary.
xdotool mousemove 1040 300
launch lock lock "--timeout 90000 --bystander -600,100,300,200" /s
wait_for lock '^window ' 60 && sleep 1
check "/s covers both monitors: 1440x600 from (-640, 0)" \
  test "$(events lock | grep -E '^(window|placed)' | xargs)" = \
  "window Screen Saver 1440x600 placed -640 0 800 600"
# Wine 10 maps a window that covers every monitor onto the primary alone
# (an 800x600 X window there, with or without a window manager; Wine 8 maps
# all of it), and X sends input on the second monitor to whatever X shows
# there. Where X shows the saver only on the primary, the steps are taken
# there, with the bystander still on the second monitor.
x_width="$(xwininfo -name "Screen Saver" | awk '/Width:/ { print $2 }')"
where="on the second monitor" at="200 200" # over the bystander, X's 40..340
if [ "$x_width" != 1440 ]; then
  echo "note: $(wine --version) shows the saver on the primary monitor" \
    "only (X width $x_width); its steps are taken there"
  where="on the primary monitor" at="1000 300"
fi
refused_steps "$where" <<STEPS
mousemove $at
click 1
click 3
key a
key Escape
key alt+Tab
STEPS
check "the window on the second monitor got no key or mouse message" \
  lacks lock '^bystander input'
verdict lock accept
xdotool key space
wait_end lock
check "an accepted check then ends it with 0" has lock '^exit 0$'
finish
