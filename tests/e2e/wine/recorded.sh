#!/usr/bin/env bash
# Prints what Wine was recorded doing for NAME: tests/data/wine/NAME.txt
# (Wine 8), or NAME-wineN.txt where Wine N does otherwise.
#   recorded.sh NAME
set -euo pipefail
data="$(dirname "$0")/../../data/wine"
major=$(wine --version | sed -n 's/^wine-\([0-9]*\).*/\1/p')
file="$data/$1-wine$major.txt"
[ -f "$file" ] || file="$data/$1.txt"
cat "$file"
