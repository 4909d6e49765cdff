// Stand-ins for the system libraries that the saver loads at run time, built
// twice: PASSWORD.CPL and MPR.DLL (GUSHMIRE_MPR). Each logs to
// standin.log beside it, a line opened and closed at a time so that it
// reaches the disk even when the process faults right after.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

HINSTANCE self;

std::string Beside(const char *name) {
  char path[MAX_PATH] = "";
  const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  std::string folder(path, length < MAX_PATH ? length : 0);
  return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

void Log(const char *format, ...) {
  if (FILE *file = std::fopen(Beside("standin.log").c_str(), "a")) {
    std::fprintf(file, "%lu ", GetTickCount());
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
    std::fputc('\n', file);
    std::fclose(file);
  }
}

} // namespace

#ifdef GUSHMIRE_MPR
// Logs the request and fails, which the caller must ignore.
extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved1,
                       DWORD reserved2) {
  Log("change provider=%s owner=%lu arg3=%lu arg4=%lu",
      provider ? provider : "(null)",
      static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(owner)), reserved1,
      reserved2);
  return ERROR_ACCESS_DENIED;
}
#else
// Each call reads its verdict from verify.txt beside it, so a test can
// change it while the saver runs: accept, refuse, or fault (a write through
// a null pointer).
extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND) {
  char action[64] = "accept";
  if (FILE *file = std::fopen(Beside("verify.txt").c_str(), "r")) {
    if (std::fgets(action, sizeof action, file)) {
      action[std::strcspn(action, "\r\n")] = '\0';
    }
    std::fclose(file);
  }
  Log("verify action=%s", action);
  if (std::strcmp(action, "fault") == 0) {
    // Written through a volatile so the compiler keeps the faulting write.
    volatile int *volatile nowhere = nullptr;
    *nowhere = 1;
  }
  return std::strcmp(action, "accept") == 0;
}
#endif

// Whether the library goes away through FreeLibrary or with the process:
// the tests tell an early unload from the end of the process this way.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void *reserved) {
  self = instance;
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    Log("attach");
  } else if (reason == DLL_PROCESS_DETACH) {
    Log(reserved ? "detach at exit" : "detach freed");
  }
  return TRUE;
}
