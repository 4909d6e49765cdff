#!/usr/bin/env bash
# The .scr's modes under Wine: what each shows and its exit code, the owner
# of the configure box, the preview child, the full-screen window and its
# drawing, a single instance, the password change through the stand-in
# MPR.DLL, and the version resource and manifest that Windows reads.
source "$(dirname "$0")/lib.sh"
version="${1:?usage: modes.sh PROJECT_VERSION}"
screen="${GUSHMIRE_WINE_SCREEN:-800x600x24}"
stage plain none

# name | saverctl options | arguments | key for its dialog | what it shows
while IFS='|' read -r name options args key want; do
  launch "$name" plain $options -- $args
  [ -z "$key" ] || { wait_for "$name" '^dialog ' 30 && sleep 0.3 &&
    xdotool key "$key"; }
  finish "$name" 30
  got="$(events "$name" | grep -E '^(window|dialog|preview|parent|exit)' |
    sed 's/ [0-9x+]* owner=/ owner=/' | paste -sd';')"
  check "'$args': $want" test "$got" = "$want"
done <<'CASES'
refused||/x||exit -1
change|--owner|/a %W||exit 0
bare|||Return|dialog Gushmire owner=none;exit 1
configure|--owner|/c|Escape|dialog Gushmire owner=ours;exit 1
preview|--preview 320x240 --hold 700|/p %W||preview Preview 320x240 parent=320x240;parent destroyed;exit 0
CASES
check "/a: PwdChangePasswordA gets SCRSAVE, our window, 0, 0; MPR.DLL freed" \
  test "$(log_of plain | paste -sd' ')" = "attach change provider=SCRSAVE \
owner=$(events change | sed -n 's/^ours //p') arg3=0 arg4=0 detach freed"

# splats: true once a screenshot shows splat red (strong red, little green
# and blue).
splats() {
  for _ in $(seq 40); do
    import -window root "$work/screen.png" 2>/dev/null &&
      convert "$work/screen.png" -scale '100x75!' -depth 8 txt:- |
      awk -F'[(),]' 'NR > 1 && $2 >= 120 && $3 <= 90 && $4 <= 90 { n++ }
                     END { exit n == 0 }' && return 0
    sleep 0.5
  done
  return 1
}
start screen plain
check "/s covers the screen with 'Screen Saver'" \
  has screen "^window Screen Saver ${screen%x*}$"
check "splats are drawn on the screen" splats
saverctl --timeout 60000 "$(winpath "$work/plain/gushmire.scr")" /s \
  >"$work/second.out"
check "a second /s makes no window and ends at once with 0" \
  test "$(grep -E '^(window|exit)' "$work/second.out")" = "exit 0"
check "the first runs on" lacks screen '^exit'
xdotool click 1
finish screen
check "a click then ends it with 0" has screen '^exit 0$'

check "Windows reads the version resource and the manifest" \
  test "$(saverctl --fileinfo "$(winpath "$build/gushmire.scr")")" = \
  "fixed $version.0
ProductName Gushmire
ProductVersion $version
FileDescription Gushmire screen saver
LegalCopyright Copyright (C) 2026 The Gushmire developers
dpiAware true/pm"
summary
