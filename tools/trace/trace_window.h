// The window gushmire-trace draws into.
#pragma once

#include "winapi.h"

// The drawing surface never needs to be larger than this on either side;
// the engine's state depends on screenWidth and screenHeight, not on pixels.
constexpr int traceSurfaceLimit = 2048;

// A CS_OWNDC popup window of about width by height pixels (capped at
// traceSurfaceLimit), or null.
HWND OpenTraceWindow(int width, int height);
void CloseTraceWindow(HWND window);
