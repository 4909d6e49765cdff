// Process-wide state of the screen-saver host that the engine also reads.
// All of it is zero or null until the host sets it.
#pragma once

#include "winapi.h"

// The program's instance handle; resources are looked up through it.
extern HINSTANCE moduleInstance;
// 1 when the saver window is a preview child; never cleared.
extern LONG previewFlag;
// Nonzero once a close has been allowed.
extern LONG closingFlag;
// 1 while a password check runs.
extern LONG verifyingFlag;
