# Counting checks in the end-to-end scripts: pass and fail print a line
# each, finish prints the tally and exits non-zero when anything failed.
FAILURES=0
fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}
pass() { echo "ok: $*"; }
finish() {
  [ "$FAILURES" -eq 0 ] && echo "all passed" || echo "$FAILURES failed"
  exit $((FAILURES > 0))
}
