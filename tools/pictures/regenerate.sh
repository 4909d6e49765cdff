#!/usr/bin/env bash
# Rebuilds the picture tools, rewrites the committed bitmaps and
# paletteTable, and redraws docs/pictures.png. Usage: regenerate.sh [build dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build-pictures}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
ninja -C "$build" -j2 gushmire-pictures
"$build/tools/pictures/gushmire-pictures" "$root/assets"
# The contact sheet links the table just written.
ninja -C "$build" -j2 gushmire-contact-sheet
"$build/tools/pictures/gushmire-contact-sheet" "$root/assets" "$root/docs/pictures.png"
