#!/usr/bin/env bash
# Password protection with the stand-in PASSWORD.CPL: which registry values
# turn it on, one check per close request, refusals keep the saver, the
# quiet period after a refusal, no second check while one pumps messages,
# the screen-saver-running state, a library without the entry, and the
# fault guard.
source "$(dirname "$0")/lib.sh"

desktop='HKCU\Control Panel\Desktop'
set_password() {
  wine reg add "$desktop" /v ScreenSaveUsePassword /t "$1" /d "$2" /f \
    >/dev/null 2>&1
}
trap 'wine reg delete "$desktop" /v ScreenSaveUsePassword /f >/dev/null 2>&1;
      cleanup' EXIT

# start NAME DIR: runs the saver of DIR full screen, waits for its window.
start() {
  centre_pointer
  launch "$1" "$2" --timeout 40000 -- /s
  wait_for "$1" '^window ' 30 && sleep 1
}

verifications() {
  log_of "$1" | grep -c '^verify' || true
}

# Refuse, then accept: a burst of keys makes one check, a refusal keeps
# the saver, a key after the quiet period checks again.
set_password REG_DWORD 1
stage refuse
echo refuse,accept >"$work/refuse/verify.txt"
start refuse refuse
check "REG_DWORD 1: the running state is on while it runs" \
  test "$(running_state)" = "running 1"
xdotool key --delay 30 a b c
sleep 1.5
check "three quick keys make one check" test "$(verifications refuse)" = 1
check "a refused check keeps it running" lacks refuse '^exit'
xdotool key d
finish refuse
check "the next key checks again and the accepted check ends it with 0" \
  bash -c "[ $(verifications refuse) = 2 ] &&
           tr -d '\r' <'$work/refuse.out' | grep -q '^exit 0$'"
check "the running state is off afterwards" \
  test "$(running_state)" = "running 0"
check "the library is freed before the process ends" \
  bash -c "grep -q ' detach freed' '$work/refuse/standin.log'"

# A check that pumps messages (and posts itself a close request): input
# during it starts no second check.
set_password REG_BINARY 01000000
stage pump
echo pump2500:accept >"$work/pump/verify.txt"
start pump pump
check "a 4-byte REG_BINARY turns the password on" \
  test "$(running_state)" = "running 1"
xdotool key space
sleep 0.8
xdotool key x click 1 mousemove_relative 30 30
finish pump
check "input during a check starts no second one" \
  bash -c "[ $(verifications pump) = 1 ] &&
           ! grep -q 'depth=2' '$work/pump/standin.log'"
check "the accepted check ends it with 0" has pump '^exit 0$'

# Values that leave the password off, and a library without the entry.
n=0
for setting in "REG_BINARY 0100000000" "REG_DWORD 0" "REG_DWORD 1 noentry"; do
  n=$((n + 1))
  read -r type data library <<<"$setting"
  set_password "$type" "$data"
  stage off$n "${library:-verifier}"
  start off$n off$n
  during="$(running_state)"
  xdotool key space
  finish off$n
  check "$setting: the first key ends it with 0, no check" \
    bash -c "tr -d '\r' <'$work/off$n.out' | grep -q '^exit 0$' &&
             ! grep -qs '^[0-9]* verify' '$work/off$n/standin.log'"
  check "$setting: the running state stays off" test "$during" = "running 0"
done
check "a library without the entry is freed before the window closes" \
  test "$(log_of off3 | head -2 | tr '\n' ' ')" = "attach detach freed "

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
echo fault >"$work/fault/verify.txt"
start fault fault
xdotool key space
finish fault
check "a faulting verifier ends the process with the guard's 1" \
  has fault '^exit 1$'
check "and the running state is off afterwards" \
  test "$(running_state)" = "running 0"
summary
