# The screen-saver running state holds keyboard and pointer: taken even when
# another client holds them for a moment, and given back when it ends.
source "$(dirname "$0")/lib.sh"
RUNNING=$3
start_xvfb 320x240x24
mkfifo "$WORK/in"
"$RUNNING" <"$WORK/in" >"$WORK/out" 2>"$WORK/err" &
runner=$!
PIDS+=("$runner")
exec 4>"$WORK/in"

ask() { # COMMAND: sends it and waits for the answer line
  local lines
  lines=$(wc -l <"$WORK/out")
  echo "$1" >&4
  wait_until 3 eval '[ "$(wc -l <"$WORK/out")" -gt '"$lines"' ]'
  tail -n1 "$WORK/out"
}

[ "$(ask on)" = running ] && pass "state on" || fail "state not on"
"$XPROBE" grab 0 && fail "others could still grab" ||
  pass "keyboard and pointer held"
[ "$(ask off)" = stopped ] && pass "state off" || fail "state not off"
"$XPROBE" grab 0 && pass "released" || fail "still held after off"

# Another client holds both for 0.4 s: the state waits and then takes them.
"$XPROBE" grab 0.4 >"$WORK/holder" &
holder=$!
PIDS+=("$holder")
wait_until 2 test -s "$WORK/holder"
[ "$(ask on)" = running ] && pass "state on while another held them" ||
  fail "state not on"
wait "$holder" 2>/dev/null
"$XPROBE" grab 0 && fail "grab not retried: $(cat "$WORK/err")" ||
  pass "taken once the other let go"
exec 4>&-
wait_exit "$runner" 3
[ "$RC" -eq 0 ] && pass "ends with 0" || fail "exit $RC"
finish
