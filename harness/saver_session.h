// A saver window on the headless display, for the tests, tools and
// benchmarks that play the animation without a real screen.
#pragma once

#include <cstdint>

#include "winapi.h"

// Opens a width by height headless display showing `picture` (width *
// height pixels 0x00RRGGBB, row 0 on top; null for black) and a CS_OWNDC
// popup window covering it. Null if the window cannot be made.
HWND OpenSaverSurface(int width, int height, const uint32_t *picture);
void CloseSaverSurface(HWND window);

// Sets the engine up as a new saver window does: client size, stretch mode,
// random seed, blood mode and the first phase.
void StartSaverSession(HWND window, DWORD seed, bool preview);
