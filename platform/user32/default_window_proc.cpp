// DefWindowProcA: what a window does with a message it leaves to the system.
#include <algorithm>

#include "user32/window.h"

using namespace platform::detail;

namespace {

// Alt+Esc and Alt+Shift+Esc: activates the next window below this one's
// top-level window, or the bottom one, among the visible, enabled ones.
void ActivateNeighbour(uintptr_t window, bool next) {
  const uintptr_t root = RootOf(window);
  std::vector<uintptr_t> order = ChildrenOf(0);
  const auto usable = [root](uintptr_t candidate) {
    const WindowObject *w = FindWindowObject(candidate);
    return candidate != root && w != nullptr && ReallyVisible(*w) &&
           (w->style & WS_DISABLED) == 0;
  };
  auto from = std::find(order.begin(), order.end(), root);
  auto found = order.end();
  if (next && from != order.end()) {
    found = std::find_if(from + 1, order.end(), usable);
  }
  if (found == order.end()) {
    const auto last = std::find_if(order.rbegin(), order.rend(), usable);
    found = last == order.rend() ? order.end() : std::prev(last.base());
  }
  if (found != order.end()) {
    SetForegroundWindow(ToHandle<HWND>(*found));
  }
}

} // namespace

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam,
                              LPARAM lParam) {
  WindowObject *w = FindWindowObject(window);
  if (w == nullptr) {
    return 0;
  }
  switch (message) {
  case WM_NCCREATE: {
    // The title is stored here, from the creation record.
    const auto *create = reinterpret_cast<const CREATESTRUCTA *>(lParam);
    if (create != nullptr && create->lpszName != nullptr &&
        !IS_INTRESOURCE(create->lpszName)) {
      w->title = create->lpszName;
    }
    return TRUE;
  }
  case WM_CLOSE:
    DestroyWindow(window);
    return 0;
  case WM_SYSCOMMAND:
    switch (wParam & 0xFFF0) {
    case SC_CLOSE:
      SendMessageA(window, WM_CLOSE, 0, 0);
      break;
    case SC_NEXTWINDOW:
    case SC_PREVWINDOW:
      ActivateNeighbour(HandleValue(window),
                        (wParam & 0xFFF0) == SC_NEXTWINDOW);
      break;
    default:
      break;
    }
    return 0;
  case WM_SYSKEYDOWN:
    // Alt+F4 asks the top-level window to close, later.
    if (wParam == VK_F4 && (lParam & (1 << 29)) != 0) {
      PostMessageA(ToHandle<HWND>(RootOf(HandleValue(window))), WM_SYSCOMMAND,
                   SC_CLOSE, 0);
    }
    return 0;
  case WM_PAINT: {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
  }
  case WM_ERASEBKGND:
    return FillBackground(HandleValue(window),
                          reinterpret_cast<HDC>(static_cast<uintptr_t>(wParam)))
               ? 1
               : 0;
  case WM_SETTEXT: {
    const auto *text = reinterpret_cast<const char *>(lParam);
    w->title = text != nullptr && !IS_INTRESOURCE(text) ? text : "";
    return TRUE;
  }
  case WM_GETTEXT:
    return CopyWindowText(w->title, reinterpret_cast<LPSTR>(lParam),
                          static_cast<int>(std::min<WPARAM>(wParam, 1 << 30)));
  case WM_GETTEXTLENGTH:
    return static_cast<LRESULT>(w->title.size());
  case WM_SETCURSOR:
    // A child lets its parent decide first; then the class cursor shows.
    if ((w->style & WS_CHILD) &&
        SendMessageA(ToHandle<HWND>(w->parent), WM_SETCURSOR, wParam, lParam)) {
      return TRUE;
    }
    if ((lParam & 0xFFFF) == HTCLIENT && w->windowClass->info.hCursor) {
      SetCursor(w->windowClass->info.hCursor);
      return TRUE;
    }
    return FALSE;
  case WM_ACTIVATE:
    // An activated window takes the focus.
    if ((wParam & 0xFFFF) != 0) {
      SetFocus(window);
    }
    return 0;
  case WM_NCACTIVATE:
    return TRUE;
  case WM_NCHITTEST:
    return HTCLIENT;
  case WM_MOUSEACTIVATE:
    return 1; // MA_ACTIVATE
  case WM_CONTEXTMENU:
    if (w->style & WS_CHILD) {
      SendMessageA(ToHandle<HWND>(w->parent), message, wParam, lParam);
    }
    return 0;
  default:
    return 0;
  }
}
