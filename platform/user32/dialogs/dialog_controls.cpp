// Push buttons and statics, just enough for dialogs: a button reports a
// click (mouse up after down, or Space) to its parent; an icon static takes
// its icon from the resource the template names, at the icon's size. Both
// draw themselves in WM_PAINT (see control_paint.h).
#include "user32/dialogs/dialog_controls.h"

#include <map>
#include <string>

#include "user32/dialogs/control_paint.h"

#include "gdi32/gdi_objects.h"
#include "user32/window.h"

using namespace platform::detail;

namespace {

constexpr WORD kButtonClicked = 0;      // BN_CLICKED
constexpr DWORD kButtonTypeMask = 0x0F; // BS_TYPEMASK
constexpr DWORD kStaticTypeMask = 0x1F; // SS_TYPEMASK

struct ControlState {
  WPARAM font = 0;
  bool pressed = false;
  // Icon statics: where their icon comes from.
  HINSTANCE instance = nullptr;
  std::string iconName; // empty when given by ordinal
  WORD iconOrdinal = 0;
};

std::map<uintptr_t, ControlState> &Controls() {
  static std::map<uintptr_t, ControlState> controls;
  return controls;
}

// What every control does with fonts and destruction.
bool CommonMessage(HWND window, UINT message, WPARAM wParam, LRESULT &result) {
  const uintptr_t handle = HandleValue(window);
  switch (message) {
  case WM_SETFONT:
    Controls()[handle].font = wParam;
    result = 0;
    return true;
  case WM_GETFONT: {
    const auto found = Controls().find(handle);
    result = found == Controls().end()
                 ? 0
                 : static_cast<LRESULT>(found->second.font);
    return true;
  }
  case WM_NCDESTROY:
    Controls().erase(handle);
    return false;
  default:
    return false;
  }
}

std::string WindowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

void PaintStatic(HWND window, const WindowObject &w) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  const DWORD type = w.style & kStaticTypeMask;
  if (type == SS_ICON) {
    const auto found = Controls().find(HandleValue(window));
    if (found != Controls().end()) {
      const ControlState &s = found->second;
      DrawIconResource(window, s.instance,
                       s.iconOrdinal != 0 ? MAKEINTRESOURCEA(s.iconOrdinal)
                                          : s.iconName.c_str(),
                       0, 0);
    }
  } else if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
    RECT r{};
    GetClientRect(window, &r);
    DrawTextInBox(window, WindowText(window), r, type);
  }
  EndPaint(window, &paint);
}

void Clicked(HWND button) {
  const WindowObject *w = FindWindowObject(button);
  if (w == nullptr || (w->style & WS_CHILD) == 0) {
    return;
  }
  const auto id = static_cast<WORD>(w->id);
  SendMessageA(ToHandle<HWND>(w->parent), WM_COMMAND,
               static_cast<WPARAM>(id | kButtonClicked << 16),
               reinterpret_cast<LPARAM>(button));
}

LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  LRESULT result = 0;
  if (CommonMessage(window, message, wParam, result)) {
    return result;
  }
  ControlState &state = Controls()[HandleValue(window)];
  switch (message) {
  case WM_PAINT: {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    DrawButtonFrame(window, IsDefaultPushButton(window));
    RECT r{};
    GetClientRect(window, &r);
    DrawTextInBox(window, WindowText(window), r, SS_CENTER, true);
    EndPaint(window, &paint);
    return 0;
  }
  case WM_LBUTTONDOWN:
    state.pressed = true;
    SetFocus(window);
    return 0;
  case WM_LBUTTONUP:
    if (state.pressed) {
      state.pressed = false;
      Clicked(window);
    }
    return 0;
  case WM_KEYUP:
    if (wParam == VK_SPACE) {
      Clicked(window);
    }
    return 0;
  default:
    return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK StaticProcedure(HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  LRESULT result = 0;
  if (CommonMessage(window, message, wParam, result)) {
    return result;
  }
  WindowObject *w = FindWindowObject(window);
  if (message == WM_CREATE && w != nullptr &&
      (w->style & kStaticTypeMask) == SS_ICON && lParam != 0) {
    // The window name is the icon's resource name or ordinal.
    const auto *create = reinterpret_cast<const CREATESTRUCTA *>(lParam);
    ControlState &state = Controls()[HandleValue(window)];
    state.instance = create->hInstance;
    if (IS_INTRESOURCE(create->lpszName)) {
      state.iconOrdinal =
          static_cast<WORD>(reinterpret_cast<uintptr_t>(create->lpszName));
    } else if (create->lpszName != nullptr) {
      state.iconName = create->lpszName;
    }
    const IconObject *icon =
        Find<IconObject>(LoadIconA(create->hInstance, create->lpszName));
    if (icon != nullptr) {
      w->width = icon->width; // an icon static takes its icon's size
      w->height = icon->height;
    }
    return 0;
  }
  if (message == WM_PAINT && w != nullptr) {
    PaintStatic(window, *w);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void Register(const char *name, WNDPROC procedure, HBRUSH background) {
  if (FindClass(name) != nullptr) {
    return;
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = procedure;
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

} // namespace

namespace platform::detail {

void RegisterDialogClasses(LRESULT(CALLBACK *dialogProcedure)(HWND, UINT,
                                                              WPARAM, LPARAM)) {
  // COLOR_BTNFACE + 1, the face colour of dialogs and their controls.
  const HBRUSH face = ToHandle<HBRUSH>(16);
  Register("#32770", dialogProcedure, face);
  Register("BUTTON", ButtonProcedure, face);
  Register("STATIC", StaticProcedure, face);
}

const char *ControlClassName(WORD ordinal) {
  static const char *const names[] = {"BUTTON",  "EDIT",      "STATIC",
                                      "LISTBOX", "SCROLLBAR", "COMBOBOX"};
  return ordinal >= 0x80 && ordinal <= 0x85 ? names[ordinal - 0x80] : nullptr;
}

bool IsPushButton(HWND control) {
  const WindowObject *w = FindWindowObject(control);
  return w != nullptr && w->windowClass != nullptr &&
         w->windowClass->info.lpfnWndProc == ButtonProcedure &&
         (w->style & kButtonTypeMask) <= BS_DEFPUSHBUTTON;
}

bool IsDefaultPushButton(HWND control) {
  return IsPushButton(control) && (FindWindowObject(control)->style &
                                   kButtonTypeMask) == BS_DEFPUSHBUTTON;
}

} // namespace platform::detail
