// Start-up: the command line's switch, the mode it chooses and the
// configure box.
#pragma once

#include "winapi.h"

// Runs the mode that `tail` (the command line after the program name)
// chooses and returns the process exit code.
int DispatchCommandLine(HINSTANCE instance, LPCSTR tail);
// The decimal digits at the start of `text`, modulo 2^32; 0 if none.
DWORD ParseDecimalHandle(LPCSTR text);
// `text` starts at the preview window's number; -1 if that is no window.
int StartPreview(LPCSTR text);
// `text` starts at the optional owner window's number; always 0.
int StartPasswordChange(LPCSTR text);
// The modal About box; its result, or 0 if RegisterConfigureClasses refuses.
int ShowConfigureBox(HWND owner);
// Registers the classes the configure box needs; nonzero to go ahead.
BOOL RegisterConfigureClasses(HINSTANCE instance);
INT_PTR CALLBACK ConfigureBoxProc(HWND box, UINT message, WPARAM wParam,
                                  LPARAM lParam);
