#!/usr/bin/env bash
# Remakes docs/animation-strip.png and docs/animation.gif from a 640x480 run
# with seed 1. Usage: tools/render/make-strip.sh BUILD_DIR (needs montage).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
render="${1:?usage: make-strip.sh BUILD_DIR}/tools/render/gushmire-render"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

steps=(0 40 88 89 140 1765 1950 2241)
labels=("start" "GrowSplat" "FinishSplat" "Burst" "RunDrips" "ten splats"
        "RunFlood" "pus series")
"$render" --seed 1 --size 640x480 --steps 2241 --png-dir "$work" \
  --png-at "$(IFS=,; echo "${steps[*]}")"
args=()
for i in "${!steps[@]}"; do
  args+=(-label "step ${steps[$i]}: ${labels[$i]}"
         "$(printf '%s/step-%06d.png' "$work" "${steps[$i]}")")
done
montage -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -pointsize 13 \
  "${args[@]}" -tile 4x2 -geometry 320x240+3+3 -background '#202020' \
  -fill white -depth 8 "$root/docs/animation-strip.png"
"$render" --seed 1 --size 640x480 --steps 2400 --gif "$root/docs/animation.gif" \
  --gif-every 3 --gif-scale 0.5
