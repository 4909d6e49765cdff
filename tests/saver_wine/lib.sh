# Helpers for the saver's end-to-end scripts, sourced by each of them inside
# wine-run.sh's environment. One saverctl.exe serves all the saver runs of a
# script (a Wine process start costs seconds) and reports their events to
# files that the helpers poll; every wait is bounded, and every process a
# script starts is ended when it exits.
set -euo pipefail
source "$(dirname "$0")/../wine/wine-env.sh"
build="${GUSHMIRE_WINE_BUILD_DIR:?GUSHMIRE_WINE_BUILD_DIR not set}"
helpers="$build/tests/saver_wine/win"
need "$build/gushmire.scr"
need "$helpers/saverctl.exe"
work="$(mktemp -d "${TMPDIR:-/tmp}/saver-wine.XXXXXX")"
passed=0 failed=0 server="" holder=""

cleanup() {
  # The server ends when its input does.
  if [ -n "$server" ]; then
    kill "$holder"
    timeout 10 tail --pid="$server" -f /dev/null || kill "$server" || true
  fi
  # A saver left behind by a killed saverctl runs from our folder: end it.
  for pid in $(grep -lsF "${work##*/}" /proc/[0-9]*/cmdline | cut -d/ -f3); do
    [ "$pid" != $$ ] && kill "$pid" 2>/dev/null || true
  done
  if [ "$failed" -eq 0 ] && [ -z "${GUSHMIRE_KEEP:-}" ]; then
    rm -rf "$work"
  else
    echo "saver-wine: logs kept in $work"
  fi
}
trap cleanup EXIT

# Windows form of a Unix path, through Wine's Z: drive.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# stage DIR [verifier|none]: a copy of the saver in $work/DIR with MPR.DLL
# and, as asked, a PASSWORD.CPL next to it.
stage() {
  mkdir -p "$work/$1"
  cp "$build/gushmire.scr" "$helpers/standins/MPR.DLL" "$work/$1/"
  case "${2:-verifier}" in
  verifier) cp "$helpers/standins/PASSWORD.CPL" "$work/$1/" ;;
  esac
}

# launch NAME DIR "SAVERCTL OPTIONS" [ARGUMENTS]: has the server run the
# saver of $work/DIR; its events go to $work/NAME.out.
launch() {
  local fields=("$1" $3 "$(winpath "$work/$2/gushmire.scr")" "${@:4}")
  if [ -z "$server" ]; then
    mkfifo "$work/commands"
    # Wine prefers its own mpr.dll to one beside the program unless told.
    WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mpr=n,b" wine \
      "$helpers/saverctl.exe" --serve "$(winpath "$work")" \
      <"$work/commands" >"$work/server.log" 2>&1 &
    server=$!
    sleep 100000 >"$work/commands" & # keeps it open between runs
    holder=$!
  fi
  (IFS=$'\x1f' && echo "${fields[*]}" >"$work/commands")
}

# saverctl [ARGUMENTS]: a saverctl of its own, its lines without CRs.
saverctl() { timeout 120 wine "$helpers/saverctl.exe" "$@" </dev/null | tr -d '\r'; }

# events NAME: what the server reported of a run so far.
events() { tr -d '\r' 2>/dev/null <"$work/$1.out" || true; }

# wait_for NAME REGEX [SECONDS]: true once an event line matches.
wait_for() {
  local tries=$((${3:-20} * 10))
  until events "$1" | grep -Eq "$2"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] && kill -0 "$server" 2>/dev/null || return 1
    sleep 0.1
  done
}

# finish NAME [SECONDS]: waits for the run to end (the server ends the saver
# itself after its --timeout).
finish() { wait_for "$1" '^end$' "${2:-120}" || true; }

# start NAME DIR: the full-screen saver, its window up and drawing.
start() {
  xdotool mousemove 400 300
  launch "$1" "$2" "--timeout 90000" /s
  wait_for "$1" '^window ' 30 && sleep 1
}

# check DESCRIPTION COMMAND...: one verdict line per check.
check() {
  if "${@:2}"; then
    passed=$((passed + 1))
    echo "ok   $1"
  else
    failed=$((failed + 1))
    echo "FAIL $1"
  fi
}

# has NAME REGEX / lacks NAME REGEX: an event line matches, or none does.
has() { events "$1" | grep -Eq "$2"; }
lacks() { ! has "$@"; }

# log_of DIR: what the stand-in libraries of $work/DIR logged, ticks cut.
log_of() { tr -d '\r' 2>/dev/null <"$work/$1/standin.log" | cut -d' ' -f2-; }

# set_password TYPE DATA: the registry switch that turns the password on.
desktop='HKCU\Control Panel\Desktop'
set_password() {
  wine reg add "$desktop" /v ScreenSaveUsePassword /t "$1" /d "$2" /f \
    >/dev/null 2>&1
}
# checks DIR: password checks the stand-in of $work/DIR logged so far.
checks() { log_of "$1" | grep -c '^verify' || true; }
# verdict DIR ANSWER: what the stand-in answers from now on.
verdict() { echo "$2" >"$work/$1/verify.txt"; }
# refused_since N: more than N checks of the run "lock" within 5 s, and the
# saver runs on.
refused_since() {
  for _ in $(seq 50); do
    [ "$(checks lock)" -gt "$1" ] && break
    sleep 0.1
  done
  [ "$(checks lock)" -gt "$1" ] && lacks lock '^exit'
}
# refused_steps [WHERE]: each xdotool step on standard input, one a line,
# must reach the saver of the run "lock" (a new check) and be refused.
refused_steps() {
  local step before
  while read -r step; do
    before="$(checks lock)"
    xdotool $step
    check "'$step'${1:+ $1} is refused" refused_since "$before"
    sleep 0.3 # past the quiet period
  done
}

# Ends the script with the tally: 'N passed, N failed'.
summary() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
