#!/usr/bin/env bash
# The full-screen saver with the stand-in PASSWORD.CPL under Wine's own
# input, registry and exception handling: its window and drawing; while the
# verifier refuses, no key, button, pointer move or second start closes it;
# then one key ends it; the fault guard. (Registry values, messages and
# checks during a check: tests/host, same saver code.)
source "$(dirname "$0")/lib.sh"
begin_saver_suite
at_exit 'wine reg delete "$desktop" /v ScreenSaveUsePassword /f >/dev/null 2>&1'
# splats: true once a screenshot shows splat red (strong red, little green
# and blue).
splats() {
  for _ in $(seq 40); do
    import -window root "$WORK/screen.png" 2>/dev/null &&
      convert "$WORK/screen.png" -scale '100x75!' -depth 8 txt:- |
      awk -F'[(),]' 'NR > 1 && $2 >= 120 && $3 <= 90 && $4 <= 90 { n++ }
                     END { exit n == 0 }' && return 0
    sleep 0.5
  done
  return 1
}

set_password REG_DWORD 1
stage lock
verdict lock refuse
start_saver lock lock
screen="${GUSHMIRE_WINE_SCREEN:-800x600x24}"
check "/s covers the screen with 'Screen Saver'" \
  has lock "^window Screen Saver ${screen%x*}$"
check "splats are drawn on the screen" splats
check "the running state is on" \
  test "$(saverctl --send | grep running)" = "running 1"
refused_steps <<'STEPS'
key alt+F4
keydown alt key Tab Tab keyup alt
key ctrl+Escape
key alt+Escape
key super
key Escape
key ctrl+alt+Delete
click 1
click 3
mousemove_relative 300 200
STEPS

saverctl --timeout 60000 "$(winpath "$WORK/lock/gushmire.scr")" /s \
  >"$WORK/second.out"
check "a second /s makes no window and ends at once with 0" \
  test "$(grep -E '^(window|exit)' "$WORK/second.out")" = "exit 0"

verdict lock accept
xdotool key space
wait_end lock
check "an accepted check then ends it with 0" has lock '^exit 0$'
check "the running state is off afterwards" \
  test "$(saverctl --send | grep running)" = "running 0"
check "the library is freed before the process ends" \
  test "$(log_of lock | tail -1)" = "detach freed"

# A verifier that faults: the guard switches the running state off and the
# process ends with that call's result (1). UnhandledExceptionFilter says
# "execute the handler" only when no debugger attaches, so the prefix names
# one that does not exist (with no value at all Wine starts winedbg).
for key in 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
  'HKLM\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug'; do
  wine reg add "$key" /v Debugger /t REG_SZ /d 'no-debugger.exe %ld %ld' /f \
    >/dev/null 2>&1
  wine reg add "$key" /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1
done
set_password REG_DWORD 1
stage fault
verdict fault fault
start_saver fault fault
xdotool key space
wait_end fault
check "a faulting verifier ends the process with the guard's 1" \
  has fault '^exit 1$'
check "and the running state is off afterwards" \
  test "$(saverctl --send | grep running)" = "running 0"
finish
