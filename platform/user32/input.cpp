// Activation, focus and hardware input: keys go to the focus window (else
// the active one), mouse messages to the deepest enabled visible window
// under the cursor. Also the cursor calls.
#include <array>

#include "core/backend.h"
#include "layer_headless.h"
#include "user32/queue.h"
#include "user32/window.h"

namespace platform::detail {
namespace {

// The arrow cursor that shows until SetCursor changes it. Not an object:
// a value below the object table's ids (see objects.cpp), never looked up.
const HCURSOR kArrowCursor = ToHandle<HCURSOR>(0x40000004);

struct Focus {
  uintptr_t active = 0;     // our active top-level window
  uintptr_t foreground = 0; // the active window, or a foreign one we raised
  uintptr_t focus = 0;
  bool appActive = false; // one of ours is active (WM_ACTIVATEAPP sent)
  HCURSOR cursor = kArrowCursor;
  std::array<bool, 256> held{};
};

Focus &state() {
  static Focus instance;
  return instance;
}

bool Alive(uintptr_t window) { return FindWindowObject(window) != nullptr; }

bool Inside(uintptr_t window, uintptr_t ancestor) {
  for (int depth = 0; window != 0 && depth < 256; ++depth) {
    if (window == ancestor) {
      return true;
    }
    const WindowObject *w = FindWindowObject(window);
    window = w != nullptr && (w->style & WS_CHILD) ? w->parent : 0;
  }
  return false;
}

void SendActivateApp(bool active) {
  state().appActive = active;
  for (uintptr_t window : ChildrenOf(0)) {
    SendToWindow(window, WM_ACTIVATEAPP, active ? 1 : 0, 0);
  }
}

// Deactivates the active window, leaving none active.
void Deactivate() {
  Focus &f = state();
  const uintptr_t previous = f.active;
  f.active = 0;
  f.foreground = 0;
  if (Alive(previous)) {
    SendToWindow(previous, WM_NCACTIVATE, FALSE, 0);
    SendToWindow(previous, WM_ACTIVATE, 0 /* WA_INACTIVE */, 0);
  }
  if (f.appActive) {
    SendActivateApp(false);
  }
  if (f.focus != 0) {
    const uintptr_t lost = f.focus;
    f.focus = 0;
    SendToWindow(lost, WM_KILLFOCUS, 0, 0);
  }
}

// The deepest enabled visible window at (x, y) among `windows`, or 0.
uintptr_t WindowAt(const std::vector<uintptr_t> &windows, int x, int y) {
  for (uintptr_t window : windows) {
    const WindowObject *w = FindWindowObject(window);
    if (w == nullptr || (w->style & WS_VISIBLE) == 0) {
      continue;
    }
    const POINT origin = ClientOrigin(*w);
    if (x < origin.x || y < origin.y || x >= origin.x + w->width ||
        y >= origin.y + w->height) {
      continue;
    }
    if (w->style & WS_DISABLED) {
      return 0; // the window is hit but takes no input
    }
    const uintptr_t inner = WindowAt(w->children, x, y);
    return inner != 0 ? inner : window;
  }
  return 0;
}

LPARAM ClientPoint(uintptr_t window, POINT screen) {
  const POINT origin = ClientOrigin(*FindWindowObject(window));
  const auto x = static_cast<uint16_t>(screen.x - origin.x);
  const auto y = static_cast<uint16_t>(screen.y - origin.y);
  return static_cast<LPARAM>(static_cast<uint32_t>(x) | static_cast<uint32_t>(y)
                                                            << 16);
}

WPARAM MouseKeys() {
  const Focus &f = state();
  return (f.held[VK_LBUTTON] ? MK_LBUTTON : 0) |
         (f.held[VK_RBUTTON] ? MK_RBUTTON : 0) |
         (f.held[VK_MBUTTON] ? MK_MBUTTON : 0) |
         (f.held[VK_SHIFT] ? 0x4 /* MK_SHIFT */ : 0) |
         (f.held[VK_CONTROL] ? 0x8 /* MK_CONTROL */ : 0);
}

} // namespace

void ActivateWindow(uintptr_t window) {
  Focus &f = state();
  if (f.active == window || !Alive(window)) {
    return;
  }
  const uintptr_t previous = f.active;
  if (Alive(previous)) {
    SendToWindow(previous, WM_NCACTIVATE, FALSE, static_cast<LPARAM>(window));
    SendToWindow(previous, WM_ACTIVATE, 0 /* WA_INACTIVE */,
                 static_cast<LPARAM>(window));
  }
  f.active = window;
  f.foreground = window;
  BringToFront(window);
  if (!f.appActive) {
    SendActivateApp(true);
  }
  if (f.active == window && Alive(window)) {
    // DefWindowProcA gives the focus on WM_ACTIVATE.
    SendToWindow(window, WM_NCACTIVATE, TRUE, static_cast<LPARAM>(previous));
    SendToWindow(window, WM_ACTIVATE, 1 /* WA_ACTIVE */,
                 static_cast<LPARAM>(previous));
  }
}

void WindowHidden(uintptr_t window) {
  Focus &f = state();
  const WindowObject *w = FindWindowObject(window);
  if (w == nullptr) {
    return;
  }
  if ((w->style & WS_CHILD) && Inside(f.focus, window)) {
    SetFocus(ToHandle<HWND>(w->parent)); // the focus moves up
  }
  if (f.active != window) {
    return;
  }
  for (uintptr_t other : ChildrenOf(0)) {
    const WindowObject *o = FindWindowObject(other);
    if (other != window && o != nullptr && ReallyVisible(*o) &&
        (o->style & (WS_DISABLED | WS_CHILD)) == 0) {
      ActivateWindow(other);
      return;
    }
  }
  Deactivate();
}

void WindowDestroyed(uintptr_t window) {
  Focus &f = state();
  if (f.focus == window) {
    f.focus = 0;
  }
  if (f.active == window) {
    // Gone without being hidden first (it was never shown): nothing of
    // ours is active now.
    f.active = 0;
    f.foreground = 0;
    f.appActive = false;
  }
}

void ForgetFocus() {
  Focus &f = state();
  f = Focus{};
  TheBackend().ShowCursor(true);
}

int CharacterOf(UINT key) {
  const bool shift = state().held[VK_SHIFT];
  if (key >= 'A' && key <= 'Z') {
    return static_cast<int>(shift ? key : key - 'A' + 'a');
  }
  if (key >= '0' && key <= '9') {
    return static_cast<int>(key);
  }
  switch (key) {
  case VK_SPACE:
    return ' ';
  case VK_RETURN:
    return '\r';
  case VK_ESCAPE:
    return 0x1B;
  case VK_TAB:
    return '\t';
  case 0x08: // VK_BACK
    return 0x08;
  default:
    return -1;
  }
}

void BeforeMouseMessage(const MSG &message) {
  const uintptr_t window = HandleValue(message.hwnd);
  SendToWindow(
      window, WM_SETCURSOR, static_cast<WPARAM>(window),
      static_cast<LPARAM>(HTCLIENT | (message.message & 0xFFFF) << 16));
}

void QueueKey(UINT key, bool down) {
  Focus &f = state();
  key &= 0xFF;
  const bool wasDown = f.held[key];
  const bool altBefore = f.held[VK_MENU];
  f.held[key] = down;
  const bool alt = altBefore || f.held[VK_MENU];
  const uintptr_t target = Alive(f.focus) ? f.focus : f.active;
  if (!Alive(target)) {
    return; // nobody takes keys
  }
  // Repeat count 1, no scan code; bit 29 Alt, bit 30 previous state,
  // bit 31 released.
  uint32_t lParam = 1;
  if (alt) {
    lParam |= 1u << 29;
  }
  if (!down || wasDown) {
    lParam |= 1u << 30;
  }
  if (!down) {
    lParam |= 1u << 31;
  }
  const UINT message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN)
                            : (alt ? WM_SYSKEYUP : WM_KEYUP);
  TheQueue().input.push_back(
      Stamped(target, message, key, static_cast<LPARAM>(lParam)));
}

void QueueButton(UINT button, bool down) {
  QueueButtonAt(button, down, TheBackend().CursorPosition());
}

void QueueButtonAt(UINT button, bool down, POINT at) {
  UINT message = 0;
  switch (button) {
  case VK_LBUTTON:
    message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    break;
  case VK_RBUTTON:
    message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    break;
  case VK_MBUTTON:
    message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    break;
  default:
    return;
  }
  state().held[button] = down;
  const uintptr_t target = WindowAt(ChildrenOf(0), at.x, at.y);
  if (target != 0) {
    TheQueue().input.push_back(
        Stamped(target, message, MouseKeys(), ClientPoint(target, at)));
  }
}

void QueueCursorMove(int x, int y) {
  const POINT at{x, y};
  const uintptr_t target = WindowAt(ChildrenOf(0), x, y);
  if (target == 0) {
    return;
  }
  const MSG move =
      Stamped(target, WM_MOUSEMOVE, MouseKeys(), ClientPoint(target, at));
  // Moves not yet taken merge into the latest, as Win32 does.
  std::deque<MSG> &input = TheQueue().input;
  if (!input.empty() && input.back().message == WM_MOUSEMOVE &&
      input.back().hwnd == move.hwnd) {
    input.back() = move;
    return;
  }
  input.push_back(move);
}

void QueueCharacter(uint32_t codePoint) {
  Focus &f = state();
  const uintptr_t target = Alive(f.focus) ? f.focus : f.active;
  if (Alive(target) && codePoint != 0) {
    TheQueue().input.push_back(Stamped(
        target, WM_CHAR, static_cast<WPARAM>(codePoint), kTypedCharacter));
  }
}

void QueueClose(uintptr_t window) {
  PostMessageA(ToHandle<HWND>(window), WM_CLOSE, 0, 0);
}

} // namespace platform::detail

using namespace platform::detail;

HWND WINAPI SetFocus(HWND window) {
  Focus &f = state();
  const uintptr_t value = HandleValue(window);
  const uintptr_t previous = Alive(f.focus) ? f.focus : 0;
  if (value != 0 && !Alive(value)) {
    return nullptr;
  }
  if (value == previous) {
    return ToHandle<HWND>(previous);
  }
  if (value != 0 && RootOf(value) != f.active) {
    ActivateWindow(RootOf(value));
    if (f.focus == value) {
      return ToHandle<HWND>(previous);
    }
  }
  if (Alive(f.focus)) {
    SendToWindow(f.focus, WM_KILLFOCUS, static_cast<WPARAM>(value), 0);
  }
  f.focus = Alive(value) ? value : 0;
  if (f.focus != 0) {
    SendToWindow(f.focus, WM_SETFOCUS, static_cast<WPARAM>(previous), 0);
  }
  return ToHandle<HWND>(previous);
}

HWND WINAPI GetFocus(void) {
  return ToHandle<HWND>(Alive(state().focus) ? state().focus : 0);
}

BOOL WINAPI SetForegroundWindow(HWND window) {
  const uintptr_t value = HandleValue(window);
  if (value != 0 && IsOurHandle(value)) {
    if (!Alive(value)) {
      return FALSE;
    }
    ActivateWindow(RootOf(value));
    return TRUE;
  }
  if (value == 0 || !TheBackend().ActivateForeign(value)) {
    return FALSE;
  }
  if (state().active != 0) {
    Deactivate();
  }
  state().foreground = value;
  return TRUE;
}

HWND WINAPI GetForegroundWindow(void) {
  const uintptr_t foreground = state().foreground;
  if (state().active == 0 && !(foreground != 0 && !IsOurHandle(foreground))) {
    // None of ours is active: the desktop knows which window is.
    if (const uintptr_t desktop = TheBackend().ForeignForeground()) {
      return ToHandle<HWND>(desktop);
    }
  }
  if (IsOurHandle(foreground) && !Alive(foreground)) {
    return nullptr;
  }
  return ToHandle<HWND>(foreground);
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
  if (point == nullptr) {
    return FALSE;
  }
  *point = TheBackend().CursorPosition();
  return TRUE;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  const HCURSOR previous = state().cursor;
  state().cursor = cursor;
  TheBackend().ShowCursor(cursor != nullptr);
  return previous;
}

namespace platform {

void KeyDown(UINT virtualKey) { detail::QueueKey(virtualKey, true); }
void KeyUp(UINT virtualKey) { detail::QueueKey(virtualKey, false); }
void PressKey(UINT virtualKey) {
  KeyDown(virtualKey);
  KeyUp(virtualKey);
}
void ButtonDown(UINT button) { detail::QueueButton(button, true); }
void ButtonUp(UINT button) { detail::QueueButton(button, false); }
void Click(UINT button) {
  ButtonDown(button);
  ButtonUp(button);
}
bool CursorShown() { return state().cursor != nullptr; }

} // namespace platform
