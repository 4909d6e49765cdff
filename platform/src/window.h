// Windows of the layer: a rectangle on the headless display, a procedure,
// and (for CS_OWNDC classes) a device context of their own.
#pragma once

#include <string>

#include "objects.h"

namespace platform::detail {

struct WindowObject : Object {
  static constexpr Kind kKind = Kind::Window;
  WindowObject() : Object(kKind) {}
  std::string className;
  WNDPROC procedure = nullptr;
  DWORD style = 0;
  int x = 0; // relative to the parent's client area for child windows
  int y = 0;
  int width = 0;
  int height = 0;
  uintptr_t parent = 0;
  uintptr_t ownDc = 0;
  bool destroying = false;
};

// Creates a window DC; `window` 0 means the whole display.
uintptr_t NewWindowDc(uintptr_t window, bool own);

// Calls the window's procedure; 0 for a window that does not exist.
LRESULT SendToWindow(uintptr_t window, UINT message, WPARAM wParam,
                     LPARAM lParam);

} // namespace platform::detail
