# Helpers for the saver's end-to-end scripts, sourced by each of them. They
# run inside wine-run.sh's environment (DISPLAY, WINEPREFIX). Every run of
# the saver goes through saverctl.exe, which reports events line by line to
# files that the helpers poll; every wait is bounded, and every process a
# script starts is ended when it exits.
set -euo pipefail

build="${GUSHMIRE_WINE_BUILD_DIR:?GUSHMIRE_WINE_BUILD_DIR not set}"
saver="${GUSHMIRE_SAVER:-$build/gushmire.scr}"
helpers="$build/tests/saver_wine/win"
[ -f "$saver" ] || {
  echo "saver-wine: $saver is missing (build the mingw tree first)" >&2
  exit 1
}
[ -f "$helpers/saverctl.exe" ] || {
  echo "saver-wine: $helpers/saverctl.exe is missing" >&2
  exit 1
}

work="$(mktemp -d "${TMPDIR:-/tmp}/saver-wine.XXXXXX")"
passed=0
failed=0

cleanup() {
  local pid
  if [ -n "$server" ]; then
    echo quit >>"$work/commands"
    for _ in $(seq 1 100); do
      kill -0 "$server" 2>/dev/null || break
      sleep 0.1
    done
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  # A saver left behind by a killed saverctl runs from our folder: end it.
  for pid in $(grep -lsF "$work" /proc/[0-9]*/cmdline | cut -d/ -f3); do
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
winpath() {
  local path="${1//\//\\}"
  printf 'Z:%s' "$path"
}

# stage DIR [verifier|noentry|none]: a copy of the saver in $work/DIR with
# MPR.DLL and, as asked, a PASSWORD.CPL next to it.
stage() {
  local dir="$work/$1"
  mkdir -p "$dir"
  cp "$saver" "$dir/gushmire.scr"
  cp "$helpers/standins/MPR.DLL" "$dir/"
  case "${2:-verifier}" in
  verifier) cp "$helpers/standins/PASSWORD.CPL" "$dir/" ;;
  noentry) cp "$helpers/standins/noentry/PASSWORD.CPL" "$dir/" ;;
  none) ;;
  esac
}

# One saverctl serves all the runs of a script: a Wine process start is
# expensive, so only the saver itself starts per run.
server=""
start_server() {
  : >"$work/commands"
  # Wine prefers its own mpr.dll to one beside the program unless told.
  WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mpr=n,b" wine "$helpers/saverctl.exe" --serve "$(winpath "$work")" \
    >"$work/server.log" 2>&1 &
  server=$!
}

# launch NAME DIR [saverctl options] -- [saver arguments]: has the server
# run the saver of $work/DIR; its events go to $work/NAME.out.
launch() {
  local name="$1" dir="$work/$2"
  shift 2
  local options=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    options+=("$1")
    shift
  done
  [ $# -gt 0 ] && shift
  [ -n "$server" ] || start_server
  rm -f "$work/$name.out"
  local IFS=$'\x1f'
  echo "$name${IFS}${options[*]+${options[*]}${IFS}}$(winpath "$dir/gushmire.scr")${*+${IFS}$*}" \
    >>"$work/commands"
}

# run_alone NAME DIR [saver arguments]: runs the saver of $work/DIR in a
# saverctl of its own, while the server's run goes on.
run_alone() {
  local name="$1" dir="$work/$2"
  shift 2
  timeout 120 wine "$helpers/saverctl.exe" --timeout 60000 \
    "$(winpath "$dir/gushmire.scr")" "$@" >"$work/$name.out" 2>&1 || true
}

# running_state: "running 0" or "running 1", as a fresh process reads it.
running_state() {
  timeout 60 wine "$helpers/saverctl.exe" --running | tr -d '\r'
}

# events NAME: what saverctl reported so far, without carriage returns.
events() {
  [ -f "$work/$1.out" ] || return 0
  tr -d '\r' <"$work/$1.out"
}

# wait_for NAME REGEX [SECONDS]: true once an event line matches.
wait_for() {
  local name="$1" pattern="$2" tries=$((${3:-20} * 10))
  while [ "$tries" -gt 0 ]; do
    events "$name" | grep -Eq "$pattern" && return 0
    kill -0 "$server" 2>/dev/null || return 1
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}

# finish NAME [SECONDS]: waits for the run to end (saverctl ends the saver
# itself after its --timeout).
finish() {
  wait_for "$1" '^end$' "${2:-120}" || true
}

# run NAME DIR [options] -- [arguments]: launch and finish in one.
run() {
  local name="$1"
  launch "$@"
  finish "$name"
}

# check DESCRIPTION COMMAND...: one verdict line per check.
check() {
  local description="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok   $description"
  else
    failed=$((failed + 1))
    echo "FAIL $description"
  fi
}

# has NAME REGEX: an event line matches (for check).
has() {
  events "$1" | grep -Eq "$2"
}

# lacks NAME REGEX: no event line matches.
lacks() {
  ! has "$@"
}

# log_of DIR: what the stand-in libraries of $work/DIR logged, ticks cut.
log_of() {
  [ -f "$work/$1/standin.log" ] || return 0
  tr -d '\r' <"$work/$1/standin.log" | cut -d' ' -f2-
}

# Cursor in the middle of the screen, away from the edges, so relative
# moves are not clipped.
centre_pointer() {
  local size="${GUSHMIRE_WINE_SCREEN:-800x600x24}"
  local width="${size%%x*}" rest="${size#*x}"
  xdotool mousemove $((width / 2)) $((${rest%%x*} / 2))
}

# Ends the script with the tally: 'N passed, N failed'.
summary() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
