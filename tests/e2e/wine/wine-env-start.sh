#!/usr/bin/env bash
# Starts a private X server (Xvfb) and a fresh Wine prefix for Wine-side
# tests, keeping their state in one directory so wine-run.sh and
# wine-env-stop.sh find them:
#   wine-env-start.sh STATE_DIR [SCREEN]      (SCREEN default 1920x1080x24)
# Fails with a message, never hangs, if either does not come up.
set -euo pipefail

state="${1:?usage: wine-env-start.sh STATE_DIR [WIDTHxHEIGHTxDEPTH]}"
screen="${2:-1920x1080x24}"
here="$(cd "$(dirname "$0")" && pwd)"

die() {
  echo "wine-env-start: $*" >&2
  exit 1
}
for tool in Xvfb wine wineboot wineserver timeout; do
  command -v "$tool" >/dev/null || die "$tool not found (run scripts/setup.sh)"
done

# A leftover environment in the same directory is stopped first.
if [ -f "$state/xvfb.pid" ]; then
  bash "$here/wine-env-stop.sh" "$state" || true
fi
rm -rf "$state"
mkdir -p "$state"

source "$here/lib.sh"
# exec: the background job is then the server itself, as the lock names it.
xvfb() { exec Xvfb "$1" -screen 0 "$screen" -nolisten tcp -noreset; }
start_x_server 90 189 "$state/xvfb.log" xvfb ||
  die "no X server came up (see $state/xvfb.log)"
display="$x_display"
echo "$x_pid" >"$state/xvfb.pid"
echo "$display" >"$state/display"

export DISPLAY="$display" WINEPREFIX="$state/prefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Where 32-bit programs run under qemu's emulation, a preloaded library
# spares every Wine process start a minute of futile address reservations
# (qemu_noreserve.cpp). 64-bit processes find an empty library under their
# own $LIB, so the loader has nothing to complain about. wine-run.sh passes
# it on.
if grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then
  preload="$state/preload/lib"
  mkdir -p "$preload/i386-linux-gnu" "$preload/x86_64-linux-gnu"
  g++ -m32 -O2 -fPIC -shared -nostdlib -fno-exceptions -fno-rtti -std=c++20 \
    -o "$preload/i386-linux-gnu/noreserve.so" "$here/qemu_noreserve.cpp" &&
    echo 'extern "C" void Nothing() {}' |
    g++ -x c++ -O2 -fPIC -shared -nostdlib -o \
      "$preload/x86_64-linux-gnu/noreserve.so" - ||
    die "could not build the preload library for qemu"
  echo "$state/preload/\$LIB/noreserve.so" >"$state/ld_preload"
  LD_PRELOAD="$(cat "$state/ld_preload")"
  export LD_PRELOAD
fi
if ! timeout 300 wineboot -i >"$state/wineboot.log" 2>&1; then
  bash "$here/wine-env-stop.sh" "$state" || true
  die "wineboot failed or timed out (see $state/wineboot.log)"
fi
# No window manager runs on Xvfb: under Wine 8, unmanaged windows behave as
# on Windows. Wine 10 gives them no input at all (not a key, button or
# motion), while its managed windows take the focus without a window manager.
wine_major=$(wine --version | sed -n 's/^wine-\([0-9]*\).*/\1/p')
if [ "${wine_major:-0}" -lt 10 ]; then
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed \
    /t REG_SZ /d N /f >>"$state/wineboot.log" 2>&1 ||
    die "could not set the X11 driver registry value"
fi
# Keep the server warm between the test programs; wine-env-stop.sh ends it.
timeout 30 wineserver -p 600 >>"$state/wineboot.log" 2>&1 || true
echo "wine-env-start: DISPLAY=$display WINEPREFIX=$WINEPREFIX"
