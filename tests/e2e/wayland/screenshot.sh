#!/usr/bin/env bash
# The picture in docs/wayland-saver.png: gushmire /s on headless sway at
# 960x540, taken with grim after SECONDS (default 40).
# Usage: screenshot.sh GUSHMIRE VPOINTER OUT.png [SECONDS]
OUTPUT_MODE=960x540
source "$(dirname "$0")/lib.sh"
skip_unless sway swaybg grim
GUSHMIRE=$(reachable "$1")
VPOINTER=$(reachable "$2")
out=$3
start_sway
hold_pointer
point move 5000 5000 # out of the picture's way: the corner of the layout
start_client "$WORK/client.log" "$GUSHMIRE" /s
sleep "${4:-40}"
screenshot HEADLESS-1 "$WORK/shot.png" && cp "$WORK/shot.png" "$out" &&
  echo "wrote $out"
