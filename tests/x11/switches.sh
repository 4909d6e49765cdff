# Switches and exit codes of the native program.
source "$(dirname "$0")/lib.sh"
start_xvfb 320x240x24

expect_exit() { # CODE DESCRIPTION ARGS...
  local code=$1 what=$2
  shift 2
  timeout 10 "$GUSHMIRE" "$@" >/dev/null 2>&1
  local rc=$?
  [ "$rc" -eq "$code" ] && pass "$what exits $code" || fail "$what: exit $rc, expected $code"
}
expect_exit 255 "unknown switch /x" /x
expect_exit 255 "digit as switch" 7
expect_exit 255 "preview of window 0" /p 0
expect_exit 255 "preview without a number" /p
expect_exit 255 "preview of a window that does not exist" /p 12345
expect_exit 255 "preview of a huge number" /p 99999999999999999999
expect_exit 255 "preview of our own kind of handle" /l 1073807360
expect_exit 0 "password change" /a

DISPLAY=:999999 timeout 10 "$GUSHMIRE" /s >/dev/null 2>"$WORK/err"
rc=$?
[ "$rc" -eq 2 ] && grep -q "cannot open the X display" "$WORK/err" &&
  pass "no display: says so, exits 2" || fail "no display: exit $rc"
finish
