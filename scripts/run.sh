#!/usr/bin/env bash
# Sets up a Debian 12 or 13 machine, builds Gushmire and runs it: full screen on
# $DISPLAY (any key, click or mouse travel ends it). Without a display it
# says so and plays the animation on the headless display instead, writing
# it to out/ as an animated GIF and snapshots.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/native -j "$(nproc)"

if [ -n "${DISPLAY:-}" ]; then
  echo "run: starting the saver full screen on $DISPLAY"
  status=0
  build/native/gushmire /s || status=$?
  # 2: the display could not be opened; anything else is the saver's end.
  [ "$status" -ne 2 ] && exit "$status"
fi
echo "run: no X display; rendering the animation to out/ instead"
mkdir -p out
build/native/tools/render/gushmire-render --seed "${SEED:-1}" --size 640x480 \
  --steps 2200 --gif out/gushmire.gif --gif-every 2 --png-dir out \
  --png-at 60,120,200,2100 "$@"
echo "run: wrote out/gushmire.gif and snapshots in out/"
