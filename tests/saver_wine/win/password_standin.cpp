// Stand-in for the system's PASSWORD.CPL. The test picks the verdicts in
// verify.txt beside it: a comma-separated list used one entry per call, the
// last entry repeating:
//   accept | refuse    answer at once
//   fault              write through a null pointer (access violation)
//   pumpMS:accept      post WM_CLOSE to the saver window, then dispatch the
//   pumpMS:refuse      thread's messages for MS milliseconds as a modal
//                      dialog would, then answer
// Every call is logged to standin.log with its nesting depth, so a second
// check started from inside the pump shows up as depth=2.
// Built twice: the variant with GUSHMIRE_NO_VERIFIER lacks the entry.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "standin_log.h"

namespace {
HINSTANCE self;
}

#ifndef GUSHMIRE_NO_VERIFIER
namespace {

int callCount;
int depth;

// The action for call number `call` (0-based), copied into `action`, from
// verify.txt beside the library (see the top of this file).
void ActionFor(int call, char *action, size_t size) {
  char list[256] = "accept";
  char path[MAX_PATH + 16];
  const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    char *slash = std::strrchr(path, '\\');
    std::strcpy(slash ? slash + 1 : path, "verify.txt");
    if (FILE *file = std::fopen(path, "r")) {
      if (!std::fgets(list, sizeof list, file)) {
        std::strcpy(list, "accept");
      }
      std::fclose(file);
      list[std::strcspn(list, "\r\n")] = '\0';
    }
  }
  char *entry = list;
  for (int i = 0; i < call; ++i) {
    char *comma = std::strchr(entry, ',');
    if (!comma) {
      break;
    }
    entry = comma + 1;
  }
  const size_t kept = std::strcspn(entry, ",");
  const size_t copied = kept < size - 1 ? kept : size - 1;
  std::memcpy(action, entry, copied);
  action[copied] = '\0';
}

void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

} // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  const int call = callCount++;
  ++depth;
  char action[64];
  ActionFor(call, action, sizeof action);
  StandinLog(
      self, "verify call=%d depth=%d window=%lu action=%s", call + 1, depth,
      static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)), action);
  BOOL verdict = FALSE;
  if (std::strcmp(action, "fault") == 0) {
    // Read through a volatile so the compiler keeps the faulting write.
    volatile int *volatile nowhere = nullptr;
    *nowhere = 1;
  } else if (std::strncmp(action, "pump", 4) == 0) {
    char *rest = nullptr;
    const unsigned long milliseconds = std::strtoul(action + 4, &rest, 10);
    PostMessageA(window, WM_CLOSE, 0, 0);
    Pump(static_cast<DWORD>(milliseconds));
    verdict = std::strcmp(rest, ":accept") == 0;
  } else {
    verdict = std::strcmp(action, "accept") == 0;
  }
  StandinLog(self, "return call=%d verdict=%d", call + 1, verdict);
  --depth;
  return verdict;
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void *reserved) {
  self = instance;
  StandinLogLifetime(instance, reason, reserved);
  return TRUE;
}
