# Sourced by the scripts that run Wine programs: `need FILE` stops with a
# message when a file of the mingw build is missing, `wine_env STATE_DIR`
# exports the environment that wine-env-start.sh set up there, and
# `start_x_server` starts an X server on a free display.
need() {
  [ -f "$1" ] || {
    echo "$(basename "$0"): $1 is missing (build the mingw tree first)" >&2
    exit 1
  }
}

wine_env() {
  [ -f "$1/display" ] || {
    echo "$(basename "$0"): no Wine environment in $1" >&2
    exit 1
  }
  DISPLAY="$(cat "$1/display")"
  export DISPLAY WINEPREFIX="$1/prefix" WINEDEBUG=-all
  if [ -f "$1/ld_preload" ]; then # see wine-env-start.sh
    LD_PRELOAD="$(cat "$1/ld_preload")"
    export LD_PRELOAD
  fi
}

# start_x_server FIRST LAST LOG SERVER [ARGS...]: runs `SERVER :N ARGS` on
# the first display N from FIRST to LAST that it gets, output to LOG; sets
# x_display (":N") and x_pid, or fails. A server refuses a display whose
# lock is held, so trying numbers in turn picks a free one even when
# several test runs start at once.
start_x_server() {
  local first="$1" last="$2" log="$3" n pid
  shift 3
  x_display="" x_pid=""
  for n in $(seq "$first" "$last"); do
    [ -e "/tmp/.X$n-lock" ] && continue
    "$@" ":$n" >"$log" 2>&1 &
    pid=$!
    for _ in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      # Ours only when the lock names our server, not a racing one.
      if [ -S "/tmp/.X11-unix/X$n" ] &&
        [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ]; then
        x_display=":$n" x_pid="$pid"
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  return 1
}
