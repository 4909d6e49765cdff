// Stand-ins for the system libraries that the saver loads at run time, built
// three times: PASSWORD.CPL, the same without its entry
// (GUSHMIRE_NO_VERIFIER) and MPR.DLL (GUSHMIRE_MPR). Each logs to
// standin.log beside it, a line opened and closed at a time so that it
// reaches the disk even when the process faults right after.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HINSTANCE self;

// NAME in the folder of this library.
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
#elif !defined(GUSHMIRE_NO_VERIFIER)
// Each call reads its verdict from verify.txt beside it, so a test can
// change it while the saver runs:
//   accept | refuse    answer at once
//   fault              write through a null pointer (access violation)
//   pumpMS:accept      post WM_CLOSE to the saver window, then dispatch the
//   pumpMS:refuse      thread's messages for MS milliseconds as a modal
//                      dialog would, then answer
// Calls are logged with their nesting depth: a second check started from
// inside the pump shows up as depth=2.
extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  static int callCount = 0;
  static int depth = 0;
  const int call = ++callCount;
  ++depth;
  char action[64] = "accept";
  if (FILE *file = std::fopen(Beside("verify.txt").c_str(), "r")) {
    if (std::fgets(action, sizeof action, file)) {
      action[std::strcspn(action, "\r\n")] = '\0';
    }
    std::fclose(file);
  }
  Log("verify call=%d depth=%d action=%s", call, depth, action);
  char *verdict = action;
  if (std::strcmp(action, "fault") == 0) {
    // Written through a volatile so the compiler keeps the faulting write.
    volatile int *volatile nowhere = nullptr;
    *nowhere = 1;
  } else if (std::strncmp(action, "pump", 4) == 0) {
    const DWORD milliseconds = std::strtoul(action + 4, &verdict, 10);
    PostMessageA(window, WM_CLOSE, 0, 0);
    for (const DWORD start = GetTickCount();
         GetTickCount() - start < milliseconds;) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    verdict += *verdict == ':';
  }
  --depth;
  return std::strcmp(verdict, "accept") == 0;
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
