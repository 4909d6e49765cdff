// What can be asked of a window: existence, visibility, parent, class,
// title, styles and rectangles; FindWindowA.
#include <algorithm>
#include <cstring>

#include "core/backend.h"
#include "user32/window.h"

using namespace platform::detail;

namespace {

// Copies `text` into a caller's buffer of `size` bytes, cut to fit and
// always terminated; returns the characters copied.
int CopyText(const std::string &text, LPSTR buffer, int size) {
  if (buffer == nullptr || size <= 0) {
    return 0;
  }
  const std::size_t count =
      std::min(text.size(), static_cast<std::size_t>(size) - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<int>(count);
}

} // namespace

namespace platform::detail {
int CopyWindowText(const std::string &text, LPSTR buffer, int size) {
  return CopyText(text, buffer, size);
}
} // namespace platform::detail

BOOL WINAPI IsWindow(HWND window) {
  const uintptr_t value = HandleValue(window);
  if (value == 0) {
    return FALSE;
  }
  if (IsOurHandle(value)) {
    const WindowObject *w = FindWindowObject(value);
    return w != nullptr ? TRUE : FALSE;
  }
  return TheBackend().ForeignExists(value) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND window) {
  const WindowObject *w = FindWindowObject(window);
  return w != nullptr && ReallyVisible(*w) ? TRUE : FALSE;
}

HWND WINAPI GetParent(HWND window) {
  const WindowObject *w = FindWindowObject(window);
  if (w == nullptr) {
    return nullptr;
  }
  return ToHandle<HWND>((w->style & WS_CHILD) ? w->parent : w->owner);
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName) {
  const WindowClass *wanted = nullptr;
  if (className != nullptr) {
    wanted = FindClass(className);
  }
  if (className == nullptr || wanted != nullptr) {
    for (uintptr_t window : ChildrenOf(0)) {
      const WindowObject *w = FindWindowObject(window);
      if ((w->style & WS_CHILD) == 0 &&
          (wanted == nullptr || w->windowClass == wanted) &&
          (windowName == nullptr || w->title == windowName)) {
        return ToHandle<HWND>(window);
      }
    }
  }
  // An atom is only known in this process.
  if (className != nullptr && IS_INTRESOURCE(className)) {
    return nullptr;
  }
  return ToHandle<HWND>(TheBackend().FindForeign(className, windowName));
}

int WINAPI GetClassNameA(HWND window, LPSTR name, int size) {
  const WindowObject *w = FindWindowObject(window);
  return w == nullptr ? 0 : CopyText(w->windowClass->name, name, size);
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int size) {
  if (FindWindowObject(window) == nullptr || text == nullptr || size <= 0) {
    return 0;
  }
  text[0] = '\0';
  return static_cast<int>(SendMessageA(window, WM_GETTEXT,
                                       static_cast<WPARAM>(size),
                                       reinterpret_cast<LPARAM>(text)));
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  if (FindWindowObject(window) == nullptr) {
    return FALSE;
  }
  return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text))
             ? TRUE
             : FALSE;
}

LONG WINAPI GetWindowLongA(HWND window, int index) {
  const WindowObject *w = FindWindowObject(window);
  if (w == nullptr) {
    return 0;
  }
  switch (index) {
  case GWL_STYLE:
    return static_cast<LONG>(w->style);
  case GWL_EXSTYLE:
    return static_cast<LONG>(w->exStyle);
  default:
    return 0;
  }
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  if (rect == nullptr) {
    return FALSE;
  }
  const uintptr_t value = HandleValue(window);
  if (!IsOurHandle(value)) {
    int width = 0, height = 0;
    if (value == 0 || !TheBackend().ForeignClientSize(value, &width, &height)) {
      return FALSE;
    }
    *rect = RECT{0, 0, width, height};
    return TRUE;
  }
  const WindowObject *w = FindWindowObject(value);
  if (w == nullptr) {
    return FALSE;
  }
  // No frames are drawn: the client area is the whole window.
  *rect = RECT{0, 0, w->width, w->height};
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
  const WindowObject *w = FindWindowObject(window);
  if (w == nullptr || rect == nullptr) {
    return FALSE;
  }
  const POINT origin = ClientOrigin(*w);
  *rect = RECT{origin.x, origin.y, origin.x + w->width, origin.y + w->height};
  return TRUE;
}
