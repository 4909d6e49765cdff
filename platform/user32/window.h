// Windows of the layer: the window tree, classes, and what the queue, paint,
// focus and input code share about them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/objects.h"
#include "gdi32/region.h"

namespace platform::detail {

struct WindowClass {
  WNDCLASSA info{};
  std::string name; // as registered
  ATOM atom = 0;
};

struct WindowObject : Object {
  static constexpr Kind kKind = Kind::Window;
  WindowObject() : Object(kKind) {}
  const WindowClass *windowClass = nullptr;
  WNDPROC procedure = nullptr;
  std::string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0; // relative to the parent's client area for child windows
  int y = 0;
  int width = 0;
  int height = 0;
  uintptr_t parent = 0; // child windows: ours or a foreign one
  uintptr_t owner = 0;  // owned popups
  uintptr_t id = 0;     // child windows: the menu argument
  uintptr_t ownDc = 0;
  std::vector<uintptr_t> children; // front to back
  // What still needs painting, in client coordinates; empty when valid.
  Region update;
  bool erasePending = false;
  bool destroying = false;
};

// True for handle values the object table hands out (see backend.h).
inline bool IsOurHandle(uintptr_t value) { return (value & 0x40000000u) != 0; }

WindowObject *FindWindowObject(uintptr_t window);
inline WindowObject *FindWindowObject(HWND window) {
  return FindWindowObject(HandleValue(window));
}
const WindowClass *FindClass(LPCSTR name);
// All our live windows: top-level ones front to back, each followed by its
// children front to back (so parents come before their children).
std::vector<uintptr_t> AllWindows();
// Children of `window` front to back (0: our top-level windows).
std::vector<uintptr_t> ChildrenOf(uintptr_t window);
// The top-level window that holds `window` (itself when top level).
uintptr_t RootOf(uintptr_t window);
// Visible along with all its ancestors.
bool ReallyVisible(const WindowObject &w);
// Top-left of the client area in screen coordinates.
POINT ClientOrigin(const WindowObject &w);
// Brings a top-level window to the front of its band (topmost or not).
void BringToFront(uintptr_t window);
// Destroys every window without a message (ResetWindowing); classes go too.
void ForgetAllWindows();
void ForgetAllClasses();

// Copies text into a caller's buffer of `size` bytes, cut to fit and
// terminated; returns the characters copied.
int CopyWindowText(const std::string &text, LPSTR buffer, int size);

// Creates a window DC; `window` 0 means the whole display.
uintptr_t NewWindowDc(uintptr_t window, bool own);

// Calls the window's procedure; 0 for a window that does not exist.
LRESULT SendToWindow(uintptr_t window, UINT message, WPARAM wParam,
                     LPARAM lParam);

// --- Queue, timers, focus: what window creation and destruction need -------
// Drops the window's queued messages and kills its timers.
void ForgetWindowMessages(uintptr_t window);
void ForgetAllMessages();
// Activation and focus when a window is shown, hidden or destroyed.
void ActivateWindow(uintptr_t window);
void WindowHidden(uintptr_t window);
void WindowDestroyed(uintptr_t window);
void ForgetFocus();
// Adds `area` (client coordinates, nullptr = all) to the update region.
void Invalidate(uintptr_t window, const RECT *area, bool erase);
// Fills the window's part of the DC with its class brush; false when the
// class has none.
bool FillBackground(uintptr_t window, HDC dc);

} // namespace platform::detail
