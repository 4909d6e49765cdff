# Sourced by the scripts that run Wine programs: `need FILE` stops with a
# message when a file of the mingw build is missing, `wine_env STATE_DIR`
# exports the environment that wine-env-start.sh set up there, and
# `start_x_server` (../x_servers.sh) starts an X server on a free display.
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

source "$(dirname "${BASH_SOURCE[0]}")/../x_servers.sh"
