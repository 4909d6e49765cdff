#!/usr/bin/env bash
# The full-screen saver with the stand-in PASSWORD.CPL: its window and
# drawing; while the verifier refuses, no key, button, pointer move,
# message or second start closes it; then one key ends it. Which registry
# values turn the password on, a library without the entry, the fault guard.
source "$(dirname "$0")/lib.sh"

trap 'wine reg delete "$desktop" /v ScreenSaveUsePassword /f >/dev/null 2>&1;
      cleanup' EXIT
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

set_password REG_DWORD 1
stage lock
verdict lock refuse
start lock lock
screen="${GUSHMIRE_WINE_SCREEN:-800x600x24}"
check "/s covers the screen with 'Screen Saver'" \
  has lock "^window Screen Saver ${screen%x*}$"
check "splats are drawn on the screen" splats
refused_steps <<'STEPS'
key alt+F4
key alt+Tab
keydown alt key Tab Tab keyup alt
key ctrl+Escape
key alt+Escape
key super
key Escape
key ctrl+alt+Delete
click 1
click 3
click 2
mousemove_relative 300 200
mousemove 0 0
STEPS

saverctl --timeout 60000 "$(winpath "$work/lock/gushmire.scr")" /s \
  >"$work/second.out"
check "a second /s makes no window and ends at once with 0" \
  test "$(grep -E '^(window|exit)' "$work/second.out")" = "exit 0"

# Input while a check dispatches our messages starts no second check.
verdict lock pump2500:refuse
before="$(checks lock)"
xdotool key space
sleep 0.8
xdotool key alt+F4 click 1 mousemove_relative 30 30
sleep 2.5
check "input during a check starts no second one" \
  test "$(checks lock)" = $((before + 1))

# Messages: a close request while a check dispatches our messages, then the
# system commands that input can make the system send.
verdict lock pump1500:refuse
before="$(checks lock)"
saverctl --send p0x10 +300 0x10 +1500 0x112:0xF060 +300 0x112:0xF040 +300 \
  0x112:0xF050 +300 0x112:0xF140 +300 0x112:0xF130 +300 >"$work/sent.txt"
check "WM_CLOSE during a check and SC_CLOSE after it make two checks;
     SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE, SC_TASKLIST none" \
  test "$(checks lock)" = $((before + 2))
check "no check ever started inside another" \
  test "$(log_of lock | grep -c depth=2)" = 0
check "after all of it the process runs, its window is there and the
     running state on" test "$(events lock | grep -c '^exit') $(grep -E \
  '^(window|running)' "$work/sent.txt" | xargs)" = "0 window 1 running 1"
verdict lock accept
xdotool key space
finish lock
check "an accepted check then ends it with 0" has lock '^exit 0$'
check "the running state is off afterwards" \
  test "$(saverctl --send | grep running)" = "running 0"
check "the library is freed before the process ends" \
  test "$(log_of lock | tail -1)" = "detach freed"

# type, data, library: the checks a key makes before it ends the saver with
# 0, and the running state meanwhile.
n=0
while read -r type data library want_checks want_running; do
  n=$((n + 1))
  set_password "$type" "$data"
  stage set$n "$library"
  start set$n set$n
  during="$(saverctl --send | grep running)"
  xdotool key space
  finish set$n
  check "$type $data $library: $want_checks checks, exit 0, $during" \
    test "$(checks set$n) $(events set$n | grep '^exit') $during" = \
    "$want_checks exit 0 running $want_running"
done <<'SETTINGS'
REG_BINARY 01000000 verifier 1 1
REG_BINARY 0100000000 verifier 0 0
REG_DWORD 0 verifier 0 0
REG_DWORD 1 noentry 0 0
SETTINGS
check "a library without the entry is freed before the window closes" \
  test "$(log_of set4 | head -2 | xargs)" = "attach detach freed"

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
start fault fault
xdotool key space
finish fault
check "a faulting verifier ends the process with the guard's 1" \
  has fault '^exit 1$'
check "and the running state is off afterwards" \
  test "$(saverctl --send | grep running)" = "running 0"
summary
