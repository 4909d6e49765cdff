# Gushmire under the real XScreenSaver daemon, as its only hack, and as
# xsecurelock's saver: activated, it is seen drawing; deactivated (or the
# locker gone), nothing of it is left running.
source "$(dirname "$0")/lib.sh"
if ! command -v xscreensaver >/dev/null || ! command -v xsecurelock >/dev/null
then
  echo "SKIPPED: needs xscreensaver and xsecurelock (scripts/setup.sh)"
  exit 0
fi
start_xvfb 640x480x24
export HOME=$WORK/home
mkdir -p "$HOME" "$WORK/bin"
ln -s "$(realpath "$GUSHMIRE")" "$WORK/bin/gushmire"
export PATH=$WORK/bin:$PATH
# XScreenSaver runs no hack as root: then the daemon runs as nobody, with
# the test's home and display.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$WORK"
  chown nobody "$HOME"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi

# Every process below PID, deepest first.
descendants() {
  local child
  for child in $(ps -o pid= --ppid "$1"); do
    descendants "$child"
    echo "$child"
  done
}
# hack_under PID: the pid of a gushmire below PID, if any.
hack_under() {
  local pid
  for pid in $(descendants "$1"); do
    [ "$(ps -o comm= -p "$pid")" = gushmire ] && echo "$pid" && return 0
  done
  return 1
}
# wait_hack PID SECONDS: sets HACK to the gushmire below PID once it runs.
wait_hack() {
  local i
  for i in $(seq $(($2 * 10))); do
    HACK=$(hack_under "$1") && return 0
    sleep 0.1
  done
  return 1
}
# drawing WHAT: the screen keeps changing while the hack runs.
drawing() {
  sleep 1
  "$XPROBE" snap "$WORK/frame"
  "$XPROBE" wait-change "$WORK/frame" 10 200 >/dev/null &&
    pass "$1: Gushmire is seen drawing" || fail "$1: the screen stays still"
}
# gone WHAT PID: the hack process has ended within 5 s.
gone() {
  local i
  for i in $(seq 50); do
    kill -0 "$2" 2>/dev/null || { pass "$1: the hack is gone"; return 0; }
    sleep 0.1
  done
  fail "$1: the hack still runs"
}

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
"${as_user[@]}" xscreensaver -no-splash >"$WORK/xscreensaver.log" 2>&1 &
daemon=$!
PIDS+=("$daemon")
for i in $(seq 50); do
  "${as_user[@]}" xscreensaver-command -version >/dev/null 2>&1 && break
  sleep 0.1
done
"${as_user[@]}" xscreensaver-command -activate >/dev/null 2>&1
if wait_hack "$daemon" 10; then
  pass "xscreensaver started gushmire"
  drawing "xscreensaver"
  "${as_user[@]}" xscreensaver-command -deactivate >/dev/null 2>&1
  gone "xscreensaver deactivated" "$HACK"
else
  fail "xscreensaver never ran gushmire"
  cat "$WORK/xscreensaver.log"
fi
"${as_user[@]}" xscreensaver-command -exit >/dev/null 2>&1
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
