#!/usr/bin/env bash
# Takes the pictures of the Windows build under Wine for docs/: the saver
# full screen over a desktop picture, the configure box, the preview inside
# a host window. Run inside a Wine environment:
#   tests/e2e/wine/wine-env-start.sh STATE 800x600x24
#   GUSHMIRE_WINE_BUILD_DIR=build/mingw \
#     tests/e2e/wine/wine-run.sh STATE bash tests/e2e/wine/screenshots.sh docs
#   tests/e2e/wine/wine-env-stop.sh STATE
# SERIES_SECONDS (default 40) is how long the saver runs before its picture.
source "$(dirname "$0")/lib.sh"
begin_saver_suite
out="$(cd "${1:?usage: screenshots.sh OUTPUT_DIR}" && pwd)"

# crop NAME TITLE MARGIN: the screen around the window TITLE into
# $out/NAME.png (without a window manager each window is an X window).
crop() {
  local X Y WIDTH HEIGHT WINDOW SCREEN
  eval "$(xdotool search --name "^$2\$" getwindowgeometry --shell | tail -6)"
  import -window root "$WORK/screen.png"
  convert "$WORK/screen.png" -crop "$((WIDTH + 2 * $3))x$((HEIGHT + 2 * $3))+$((X > $3 ? X - $3 : 0))+$((Y > $3 ? Y - $3 : 0))" \
    +repage "$out/$1.png"
}

stage plain none

# A desktop picture on the root window, to show what the saver draws over.
convert -size 800x600 gradient:'#3a6ea5-#0b2545' \
  -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -fill '#d0d8e8' \
  -pointsize 28 -gravity center \
  -annotate 0 'Desktop before the saver' "$WORK/desktop.png"
timeout 20 display -window root "$WORK/desktop.png" || true

launch about plain "--host 200x100" /c
wait_for about '^dialog ' 60 && sleep 1
crop wine-about Gushmire 12
xdotool key Return
wait_end about

launch preview plain "--host 320x240 --hold 4000" /p %W
wait_for preview '^preview ' 60 && sleep 2
crop wine-preview 'Preview host' 12
wait_end preview

xdotool mousemove 400 300
launch saver plain "--timeout $((${SERIES_SECONDS:-40} * 1000 + 60000))" /s
wait_for saver '^window ' 60
sleep "${SERIES_SECONDS:-40}"
import -window root "$out/wine-saver.png"
xdotool key space
wait_end saver
echo "screenshots: wrote $out/wine-saver.png, wine-about.png, wine-preview.png"
