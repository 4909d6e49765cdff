#!/usr/bin/env bash
# Switches that end at once: the exit code of each, seen as a signed 32-bit
# value, and the password change through the stand-in MPR.DLL.
source "$(dirname "$0")/lib.sh"

stage plain
# Unknown letters, digits, a colon before the window number, window 0 and a
# tab before the letter: nothing is shown and the code is -1.
n=0
for args in "/x" "/123" "/p:1234" "/p 0" "/l 0" "/p" "/$(printf '\t')s"; do
  n=$((n + 1))
  IFS=' ' read -ra words <<<"$args" # a tab stays inside its word
  run refused$n plain --timeout 15000 -- "${words[@]}"
  check "'$args' ends with -1" has refused$n '^exit -1$'
  check "'$args' shows no window" lacks refused$n '^(window|dialog)'
done

# /a with our window's number and without one (then the foreground window,
# ours, owns it): MPR.DLL is asked with SCRSAVE and two zeros, and its
# failure still gives 0.
run change1 plain --owner -- /a %W
run change2 plain --owner -- -A
check "/a N ends with 0" has change1 '^exit 0$'
check "-A ends with 0" has change2 '^exit 0$'
ours1="$(events change1 | sed -n 's/^ours //p')"
ours2="$(events change2 | sed -n 's/^ours //p')"
check "PwdChangePasswordA gets SCRSAVE, the given window, 0, 0 and then
     SCRSAVE, the foreground window, 0, 0" \
  test "$(log_of plain | grep '^change')" = "change provider=SCRSAVE owner=$ours1 arg3=0 arg4=0
change provider=SCRSAVE owner=$ours2 arg3=0 arg4=0"
check "MPR.DLL is freed after each change" \
  test "$(log_of plain | grep -c '^detach freed$')" = 2
summary
