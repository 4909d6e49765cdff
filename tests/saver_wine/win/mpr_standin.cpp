// Stand-in for the system's MPR.DLL: logs the password-change request to
// standin.log and returns a failure code, which the caller must ignore.
#include <windows.h>

#include "standin_log.h"

namespace {
HINSTANCE self;
}

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved1,
                       DWORD reserved2) {
  StandinLog(self, "change provider=%s owner=%lu arg3=%lu arg4=%lu",
             provider ? provider : "(null)",
             static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(owner)),
             static_cast<unsigned long>(reserved1),
             static_cast<unsigned long>(reserved2));
  return ERROR_ACCESS_DENIED;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void *reserved) {
  self = instance;
  StandinLogLifetime(instance, reason, reserved);
  return TRUE;
}
