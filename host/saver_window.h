// The saver window: full screen or preview child, its class, its message
// loop and the first and last links of its message chain.
#pragma once

#include "saver_fallback.h"
#include "winapi.h"

// ImmAssociateContext of IMM32.DLL; input contexts are opaque handles.
typedef HANDLE(WINAPI *ImmAssociateContextEntry)(HWND window, HANDLE context);

extern HWND saverWindow;
// Largest cursor travel, in pixels, that does not close the saver.
extern DWORD mouseThreshold;
// Where travel is measured from, in screen coordinates.
extern POINT lastCursorPos;
// IMM32.DLL when the process had it loaded; never loaded or freed here.
extern HMODULE imeModule;
extern ImmAssociateContextEntry immAssociateEntry;
// The input context the window had before it was detached.
extern HANDLE previousInputContext;

// Runs the saver window to its end: full screen with a null parent, else a
// preview child of `parent`. The exit code: 0 after an orderly end or when
// another full-screen saver runs, -1 when the window could not be made.
int RunSaverWindow(HWND parent);

// The class's window procedure, first link of the chain.
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam);
