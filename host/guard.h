// The fault guard around a mode: a fault that escapes `mode` switches the
// screen-saver-running state off, and that switch's result becomes the
// exit code. The platform's own handlers are back in place on return.
#pragma once

#include "password.h"
#include "winapi.h"

typedef int (*GuardedMode)(LPCSTR tail);

int RunGuarded(GuardedMode mode, LPCSTR tail);

// The mode, with a C++ exception that escapes it treated as a fault.
inline int CallGuardedMode(GuardedMode mode, LPCSTR tail) {
  try {
    return mode(tail);
  } catch (...) {
    return SetSaverRunning(0);
  }
}
