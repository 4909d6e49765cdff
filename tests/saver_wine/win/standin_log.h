// Logging shared by the stand-in system libraries: each line goes to
// standin.log next to the library, opened and closed per line so that it
// reaches the disk even when the process faults right after.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

inline void StandinLog(HINSTANCE self, const char *format, ...) {
  char path[MAX_PATH + 16];
  const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return;
  }
  char *slash = std::strrchr(path, '\\');
  std::strcpy(slash ? slash + 1 : path, "standin.log");

  char line[512];
  int used = std::snprintf(line, sizeof line, "%lu ",
                           static_cast<unsigned long>(GetTickCount()));
  va_list args;
  va_start(args, format);
  used += std::vsnprintf(line + used, sizeof line - static_cast<size_t>(used),
                         format, args);
  va_end(args);
  if (used < 0 || used >= static_cast<int>(sizeof line) - 1) {
    used = static_cast<int>(sizeof line) - 2;
  }
  line[used++] = '\n';

  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return;
  }
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(used), &written, nullptr);
  CloseHandle(file);
}

// Whether the library goes away through FreeLibrary or with the process:
// the tests tell an early unload from the end of the process this way.
inline void StandinLogLifetime(HINSTANCE self, DWORD reason, void *reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(self);
    StandinLog(self, "attach");
  } else if (reason == DLL_PROCESS_DETACH) {
    StandinLog(self, reserved ? "detach at exit" : "detach freed");
  }
}
