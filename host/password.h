// Password protection: the user's setting, the system's verifier library,
// the screen-saver-running state and the decision on each close request.
#pragma once

#include "winapi.h"

// VerifyScreenSavePwd of PASSWORD.CPL: nonzero when the password was
// accepted.
typedef BOOL(WINAPI *VerifyScreenSavePwdEntry)(HWND window);
// PwdChangePasswordA of MPR.DLL.
typedef DWORD(WINAPI *PwdChangePasswordEntry)(LPCSTR provider, HWND owner,
                                              DWORD reserved1, DWORD reserved2);

// PASSWORD.CPL while it is loaded.
extern HMODULE passwordLibrary;
// The loaded verifier, or null when no password is in use.
extern VerifyScreenSavePwdEntry verifyEntry;
// GetTickCount when the last check ended; 0xFFFFFFFF before the first.
extern DWORD lastVerifyTick;

// Sent through the saver window to run the check; both parameters 0.
constexpr UINT PasswordCheckMessage = 0x8000;

// Reads the password switch and, when it is on, loads the verifier and
// switches the running state on.
void LoadPasswordVerifier();
// Frees the verifier library; switches the running state off if it was on.
void UnloadPasswordVerifier();
// Nonzero when the close of `window` may go ahead.
LONG VerifyOnClose(HWND window);
// Offers the system's password change, owned by `owner`.
void ChangePassword(HWND owner);
// Milliseconds from `then` to `now` across a wrap of the tick counter.
DWORD TickDifference(DWORD then, DWORD now);
// Switches the system's screen-saver-running state; SystemParametersInfoA's
// result.
BOOL SetSaverRunning(UINT on);
