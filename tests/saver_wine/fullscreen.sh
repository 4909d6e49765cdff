#!/usr/bin/env bash
# The full-screen saver: its window covers the screen, the animation's
# splats appear on it, and a key, a click or cursor travel over 4 pixels
# ends it with 0 while travel of exactly 4 does not; a second start while
# one runs ends at once with 0 and leaves the first running.
source "$(dirname "$0")/lib.sh"

screen="${GUSHMIRE_WINE_SCREEN:-800x600x24}"
size="${screen%x*}"

# Pixels of the screen (sampled 100x75) that are splat red: strong red,
# little green and blue.
red_pixels() {
  convert "$1" -scale '100x75!' -depth 8 txt:- |
    awk -F'[(),]' 'NR > 1 && $2 >= 120 && $3 <= 90 && $4 <= 90 { n++ }
                   END { print n + 0 }'
}

# Screenshots until one has splats on it; true when one is found.
wait_for_splats() {
  local shot="$work/$1.png" tries=$((${2:-40} * 2))
  while [ "$tries" -gt 0 ]; do
    import -window root "$shot" 2>/dev/null &&
      [ "$(red_pixels "$shot")" -gt 0 ] && return 0
    sleep 0.5
    tries=$((tries - 1))
  done
  return 1
}

stage plain
centre_pointer
launch keys plain -- /s
wait_for keys '^window ' 30
check "/s covers the screen with 'Screen Saver'" \
  has keys "^window Screen Saver ${size}$"
check "splats are drawn on the screen" wait_for_splats keys
xdotool key space
finish keys
check "a key ends it with 0" has keys '^exit 0$'

centre_pointer
launch click plain -- -s
wait_for click '^window ' 30 && sleep 1
xdotool click 1
finish click
check "a click ends it with 0" has click '^exit 0$'

centre_pointer
launch travel plain -- /S
wait_for travel '^window ' 30 && sleep 1
xdotool mousemove_relative 2 2
sleep 2
check "travel of 2,2 (4 pixels) leaves it running" lacks travel '^exit'
xdotool mousemove_relative 1 0
finish travel
check "one pixel more (5 from the start) ends it with 0" \
  has travel '^exit 0$'

centre_pointer
launch first plain -- /sx
wait_for first '^window ' 30 && sleep 0.5
run_alone second plain /s
check "a second /s ends at once with 0" has second '^exit 0$'
check "the second makes no window of its own" lacks second '^window '
sleep 0.5
check "the first keeps running" lacks first '^exit'
xdotool key Escape
finish first
check "the first then ends on a key with 0" has first '^exit 0$'
summary
