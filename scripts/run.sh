#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Gushmire and runs it. Until the saver
# window exists on Linux, "running" means playing the animation on the
# headless display and writing it to out/ as an animated GIF and snapshots.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/native -j "$(nproc)"

mkdir -p out
build/native/tools/render/gushmire-render --seed "${SEED:-1}" --size 640x480 \
  --steps 2200 --gif out/gushmire.gif --gif-every 2 --png-dir out \
  --png-at 60,120,200,2100 "$@"
echo "run: wrote out/gushmire.gif and snapshots in out/"
