# Gushmire under the real XScreenSaver daemon, as its only hack, and as
# xsecurelock's saver: activated, it is seen drawing; deactivated (or the
# locker gone), nothing of it is left running.
source "$(dirname "$0")/lib.sh"
command -v xscreensaver >/dev/null && command -v xsecurelock >/dev/null ||
  skip "needs xscreensaver and xsecurelock (scripts/setup.sh)"
start_xvfb 640x480x24
# A copy, not a link: the daemon's user may not reach the build tree (a
# clone in a private temporary directory, say).
mkdir -p "$WORK/bin"
install -m 755 "$GUSHMIRE" "$WORK/bin/gushmire"
export PATH=$WORK/bin:$PATH
run_as_daemon_user

cat >"$HOME/.xscreensaver" <<'CONF'
mode: one
selected: 0
lock: False
fade: False
unfade: False
splash: False
dpmsEnabled: False
timeout: 0:30:00
programs: "Gushmire" gushmire -root \n
CONF
"${AS_USER[@]}" xscreensaver -no-splash >"$WORK/xscreensaver.log" 2>&1 &
daemon=$!
PIDS+=("$daemon")
wait_until 5 "${AS_USER[@]}" xscreensaver-command -version >/dev/null 2>&1
"${AS_USER[@]}" xscreensaver-command -activate >/dev/null 2>&1
if wait_hack "$daemon" 10; then
  pass "xscreensaver started gushmire"
  drawing "xscreensaver"
  "${AS_USER[@]}" xscreensaver-command -deactivate >/dev/null 2>&1
  gone "xscreensaver deactivated" "$HACK"
else
  fail "xscreensaver never ran gushmire"
  cat "$WORK/xscreensaver.log"
fi
"${AS_USER[@]}" xscreensaver-command -exit >/dev/null 2>&1
wait_exit "$daemon" 5
leftover=$(descendants "$daemon")
[ -z "$leftover" ] && pass "xscreensaver: nothing left running" ||
  fail "left running: $leftover"

XSECURELOCK_SAVER=$WORK/bin/gushmire XSECURELOCK_NO_COMPOSITE=1 \
  XSECURELOCK_BLANK_TIMEOUT=-1 xsecurelock >"$WORK/xsecurelock.log" 2>&1 &
locker=$!
PIDS+=("$locker")
if wait_hack "$locker" 10; then
  pass "xsecurelock started gushmire"
  drawing "xsecurelock"
  kill "$locker"
  wait_exit "$locker" 5
  gone "xsecurelock ended" "$HACK"
else
  fail "xsecurelock never ran gushmire"
  cat "$WORK/xsecurelock.log"
fi
finish
