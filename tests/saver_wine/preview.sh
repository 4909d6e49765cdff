#!/usr/bin/env bash
# The preview: a child "Preview" of the saver's class appears at the client
# size of the window whose number /p (or /l) names, and the saver ends with
# 0 once that window is destroyed. (Wine gives a child window of another
# process no drawable, so its drawing is checked in the native build.)
source "$(dirname "$0")/lib.sh"

stage plain
for form in "/p %W" "/l %W" "/p%W"; do
  n=$((${n:-0} + 1))
  name=preview$n
  run "$name" plain --preview 320x240 --hold 700 -- $form
  check "'$form' shows a Preview child at the parent's 320x240" \
    has "$name" '^preview Preview 320x240 parent=320x240$'
  check "'$form' shows no full-screen window" lacks "$name" '^window '
  check "'$form' ends with 0 when the parent goes" \
    bash -c "tr -d '\r' <'$work/$name.out' | grep -A9 '^parent destroyed' |
             grep -q '^exit 0$'"
done
summary
