// The last link of the saver window's message chain, which the engine's
// SaverProcedure hands every message it does not take to.
#pragma once

#include "winapi.h"

// Last link before DefWindowProcA: input to close requests, close requests
// through the password check.
LRESULT CALLBACK SaverFallbackProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam);
