#include "password.h"

#include <cstring>

#include "host_state.h"

HMODULE passwordLibrary = nullptr;
VerifyScreenSavePwdEntry verifyEntry = nullptr;
DWORD lastVerifyTick = 0xFFFFFFFF;

namespace {

constexpr DWORD noCheckYet = 0xFFFFFFFF;
constexpr DWORD quietPeriod = 200; // ms after a check in which none runs

// GetProcAddress's generic pointer as the entry's real type; the detour
// through void (*)() is the conversion compilers accept without warning.
template <typename Entry> Entry EntryPoint(HMODULE module, LPCSTR name) {
  return reinterpret_cast<Entry>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The 32-bit switch. A value shorter than 4 bytes leaves the rest of the
// cleared buffer 0; the query refuses values longer than 4 bytes.
bool PasswordWanted(HKEY key) {
  BYTE buffer[4] = {};
  DWORD size = sizeof buffer;
  if (RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr, buffer,
                       &size) != ERROR_SUCCESS) {
    return false;
  }
  DWORD value = 0;
  std::memcpy(&value, buffer, sizeof value);
  return value != 0;
}

} // namespace

void LoadPasswordVerifier() {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) !=
      ERROR_SUCCESS) {
    return;
  }
  if (PasswordWanted(key)) {
    passwordLibrary = LoadLibraryA("PASSWORD.CPL");
    if (passwordLibrary != nullptr) {
      verifyEntry = EntryPoint<VerifyScreenSavePwdEntry>(passwordLibrary,
                                                         "VerifyScreenSavePwd");
      if (verifyEntry != nullptr) {
        SetSaverRunning(1);
      } else {
        UnloadPasswordVerifier();
      }
    }
  }
  RegCloseKey(key);
}

void UnloadPasswordVerifier() {
  if (passwordLibrary == nullptr) {
    return;
  }
  FreeLibrary(passwordLibrary);
  passwordLibrary = nullptr;
  if (verifyEntry != nullptr) {
    verifyEntry = nullptr;
    SetSaverRunning(0);
  }
}

LONG VerifyOnClose(HWND window) {
  // The check's dialog dispatches our messages; a close posted meanwhile
  // must not start a second check.
  if (verifyingFlag != 0) {
    return 0;
  }
  if (verifyEntry == nullptr) {
    closingFlag = 1;
    return 1;
  }
  if (lastVerifyTick != noCheckYet &&
      TickDifference(lastVerifyTick, GetTickCount()) < quietPeriod) {
    return 0;
  }
  verifyingFlag = 1;
  // Ticks queued up behind the close would each run a step first.
  MSG dropped = {};
  PeekMessageA(&dropped, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  PeekMessageA(&dropped, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  closingFlag =
      static_cast<LONG>(SendMessageA(window, PasswordCheckMessage, 0, 0));
  verifyingFlag = 0;
  if (closingFlag == 0) {
    SetCursor(nullptr);
  }
  lastVerifyTick = GetTickCount();
  return closingFlag;
}

void ChangePassword(HWND owner) {
  HMODULE library = LoadLibraryA("MPR.DLL");
  if (library == nullptr) {
    return;
  }
  const auto change =
      EntryPoint<PwdChangePasswordEntry>(library, "PwdChangePasswordA");
  if (change != nullptr) {
    change("SCRSAVE", owner, 0, 0);
  }
  FreeLibrary(library);
}

DWORD TickDifference(DWORD then, DWORD now) { return now - then; }

BOOL SetSaverRunning(UINT on) {
  DWORD previous = 0;
  return SystemParametersInfoA(SPI_SCREENSAVERRUNNING, on, &previous, 0);
}
