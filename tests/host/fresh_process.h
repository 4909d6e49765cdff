// The host's process-wide variables back to their state at process start,
// for test programs that play several runs in one process: a real process
// runs once, so a closed saver leaves closingFlag set for good.
#pragma once

#include "host_state.h"
#include "password.h"
#include "saver_procedure.h"
#include "saver_window.h"

inline void ResetHostVariables() {
  moduleInstance = nullptr;
  previewFlag = 0;
  closingFlag = 0;
  verifyingFlag = 0;
  saverWindow = nullptr;
  lastCursorPos = {0, 0};
  imeModule = nullptr;
  immAssociateEntry = nullptr;
  previousInputContext = nullptr;
  passwordLibrary = nullptr;
  verifyEntry = nullptr;
  lastVerifyTick = 0xFFFFFFFF;
  saverPalette = nullptr;
  previousPalette = nullptr;
  timerResult = 0;
}
