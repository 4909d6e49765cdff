#include "entry.h"

#include "animation.h"
#include "startup.h"

namespace {

// Our native layer has no double-byte code page.
bool IsLeadByte(unsigned char c) {
#ifdef _WIN32
  return IsDBCSLeadByte(c) != 0;
#else
  static_cast<void>(c);
  return false;
#endif
}

} // namespace

LPCSTR CommandLineTail(LPCSTR commandLine) {
  if (commandLine == nullptr) {
    return "";
  }
  const auto *text = reinterpret_cast<const unsigned char *>(commandLine);
  if (*text == '"') {
    ++text;
    while (*text != '\0' && *text != '"') {
      // A trail byte may look like a quote; never step past the end.
      if (IsLeadByte(*text) && text[1] != '\0') {
        ++text;
      }
      ++text;
    }
    if (*text == '"') {
      ++text;
    }
  } else {
    while (*text > ' ') {
      ++text;
    }
  }
  while (*text >= 1 && *text <= ' ') {
    ++text;
  }
  return reinterpret_cast<LPCSTR>(text);
}

// lpCmdLine is not used: the tail is taken by our own rule.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return DispatchCommandLine(instance, CommandLineTail(GetCommandLineA()));
}

#ifndef _WIN32
void SetSeriesSeedOffset(DWORD offset) { seedOffset = offset; }
#endif
