#!/usr/bin/env bash
# The .scr's modes under Wine: what each shows and its exit code, the owner
# of the configure box, the preview child, the password change through the
# stand-in MPR.DLL, and the version resource and manifest that Windows
# reads. The full-screen mode is password.sh's.
source "$(dirname "$0")/lib.sh"
begin_saver_suite
version="${1:?usage: modes.sh PROJECT_VERSION}"
stage plain none

# name | saverctl options | arguments | key for its dialog | what it shows
while IFS='|' read -r name options args key want; do
  launch "$name" plain "$options" $args
  [ -z "$key" ] || { wait_for "$name" '^dialog ' 30 && sleep 0.3 &&
    xdotool key "$key"; }
  wait_end "$name" 30
  got="$(events "$name" | grep -E '^(window|dialog|preview|parent|exit)' |
    sed 's/ [0-9x+]* owner=/ owner=/' | paste -sd';')"
  check "'$args': $want" test "$got" = "$want"
done <<'CASES'
refused||/x||exit -1
change|--host 200x100|/a %W||exit 0
bare|||Return|dialog Gushmire owner=none;exit 1
configure|--host 200x100|/c|Escape|dialog Gushmire owner=ours;exit 1
preview|--host 320x240 --hold 700|/p %W||preview Preview 320x240 parent=320x240;parent destroyed;exit 0
CASES
check "/a: PwdChangePasswordA gets SCRSAVE, our window, 0, 0; MPR.DLL freed" \
  test "$(log_of plain | paste -sd' ')" = "attach change provider=SCRSAVE \
owner=$(events change | sed -n 's/^ours //p') arg3=0 arg4=0 detach freed"

check "Windows reads the version resource and the manifest" \
  test "$(saverctl --fileinfo "$(winpath "$build/gushmire.scr")")" = \
  "fixed $version.0
ProductName Gushmire
ProductVersion $version
FileDescription Gushmire screen saver
LegalCopyright Copyright (c) 2026 The Gushmire developers. MIT licence.
dpiAware true/pm"
finish
