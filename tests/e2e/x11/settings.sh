# xscreensaver-settings with Gushmire installed: it lists Gushmire and runs
# it in its small preview window, and closing the dialog ends it. Run by the
# package test while the package is installed; passes with a note when the
# description file is not installed.
source "$(dirname "$0")/lib.sh"
config=/usr/share/xscreensaver/config/gushmire.xml
command -v xscreensaver-settings >/dev/null && [ -f "$config" ] ||
  skip "needs xscreensaver-settings and an installed $config"
start_xvfb 1024x768x24
run_as_daemon_user
mkdir -p "$WORK/bin"
ln -s "$(realpath "$GUSHMIRE")" "$WORK/bin/gushmire"
cat >"$HOME/.xscreensaver" <<'CONF'
mode: one
selected: 0
splash: False
programs: "Gushmire" gushmire -root \n
CONF
PATH=$WORK/bin:$PATH "${AS_USER[@]}" xscreensaver-settings \
  >"$WORK/settings.log" 2>&1 &
dialog=$!
PIDS+=("$dialog")
if wait_hack "$dialog" 15; then
  pass "the settings dialog runs Gushmire's preview"
  drawing "settings preview"
  xdotool search --name "XScreenSaver Settings Preview" >/dev/null &&
    pass "inside the dialog's preview window" || fail "no preview window"
  kill "$dialog"
  wait_exit "$dialog" 5
  gone "dialog closed" "$HACK"
else
  fail "the settings dialog never ran gushmire"
  cat "$WORK/settings.log"
fi
finish
