// Window classes and windows: enough of USER for a window to be created on
// the headless display, get its creation and destruction messages and hand
// out its device context.
#include "window.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

#include "display.h"
#include "gdi_objects.h"

using namespace platform::detail;

namespace {

struct WindowClass {
  WNDCLASSA info{};
  ATOM atom = 0;
};

struct Registry {
  std::map<std::string, WindowClass> classes; // keyed by upper-case name
  std::vector<uintptr_t> windows;             // in creation order
  ATOM nextAtom = 0xC000;
};

Registry &registry() {
  static Registry instance;
  return instance;
}

std::string UpperName(LPCSTR name) {
  std::string upper(name);
  for (char &c : upper) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return upper;
}

// Finds a class by name or by the atom passed in place of a name.
WindowClass *FindClass(LPCSTR name) {
  if (name == nullptr) {
    return nullptr;
  }
  Registry &r = registry();
  if (IS_INTRESOURCE(name)) {
    const auto atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
    for (auto &entry : r.classes) {
      if (entry.second.atom == atom) {
        return &entry.second;
      }
    }
    return nullptr;
  }
  auto found = r.classes.find(UpperName(name));
  return found == r.classes.end() ? nullptr : &found->second;
}

// Frees the window's object and device contexts; its children go first.
void FreeWindow(uintptr_t window) {
  Registry &r = registry();
  const std::vector<uintptr_t> all = r.windows;
  for (uintptr_t other : all) {
    const WindowObject *c = Find<WindowObject>(ToHandle<HWND>(other));
    if (c != nullptr && c->parent == window) {
      FreeWindow(other);
    }
  }
  // Device contexts still taken from the window die with it.
  const WindowObject *w = Find<WindowObject>(ToHandle<HWND>(window));
  if (w != nullptr && w->ownDc != 0) {
    RemoveObject(w->ownDc);
  }
  RemoveObject(window);
  r.windows.erase(std::remove(r.windows.begin(), r.windows.end(), window),
                  r.windows.end());
}

} // namespace

namespace platform::detail {

Surface WindowSurface(uintptr_t window) {
  const Display &d = TheDisplay();
  Surface s;
  RECT onDisplay{0, 0, d.width, d.height};
  std::vector<const WindowObject *> chain;
  for (const WindowObject *w = Find<WindowObject>(ToHandle<HWND>(window));
       w != nullptr && chain.size() < 64;
       w = Find<WindowObject>(ToHandle<HWND>(w->parent))) {
    chain.push_back(w);
  }
  if (window != 0 && chain.empty()) {
    return s; // a dead window draws nowhere
  }
  // From the outermost window in: each one's client area clips the next.
  long long ox = 0, oy = 0;
  for (auto w = chain.rbegin(); w != chain.rend(); ++w) {
    ox += (*w)->x;
    oy += (*w)->y;
    onDisplay.left = static_cast<LONG>(std::max<long long>(onDisplay.left, ox));
    onDisplay.top = static_cast<LONG>(std::max<long long>(onDisplay.top, oy));
    onDisplay.right = static_cast<LONG>(
        std::min<long long>(onDisplay.right, ox + (*w)->width));
    onDisplay.bottom = static_cast<LONG>(
        std::min<long long>(onDisplay.bottom, oy + (*w)->height));
  }
  if (onDisplay.left >= onDisplay.right || onDisplay.top >= onDisplay.bottom) {
    return s;
  }
  s.originX = static_cast<int>(ox);
  s.originY = static_cast<int>(oy);
  s.visible = RECT{static_cast<LONG>(onDisplay.left - ox),
                   static_cast<LONG>(onDisplay.top - oy),
                   static_cast<LONG>(onDisplay.right - ox),
                   static_cast<LONG>(onDisplay.bottom - oy)};
  return s;
}

LRESULT SendToWindow(uintptr_t window, UINT message, WPARAM wParam,
                     LPARAM lParam) {
  const WindowObject *w = Find<WindowObject>(ToHandle<HWND>(window));
  if (w == nullptr || w->procedure == nullptr) {
    return 0;
  }
  return w->procedure(ToHandle<HWND>(window), message, wParam, lParam);
}

uintptr_t NewWindowDc(uintptr_t window, bool own) {
  auto dc = std::make_unique<DcObject>();
  dc->window = window;
  dc->ownDc = own;
  dc->palette = StockPalette();
  return AddObject(std::move(dc));
}

} // namespace platform::detail

ATOM WINAPI RegisterClassA(const WNDCLASSA *windowClass) {
  if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr ||
      windowClass->lpszClassName == nullptr ||
      IS_INTRESOURCE(windowClass->lpszClassName) ||
      windowClass->lpszClassName[0] == '\0') {
    return 0;
  }
  Registry &r = registry();
  const std::string name = UpperName(windowClass->lpszClassName);
  if (r.classes.count(name) != 0 || r.nextAtom == 0xFFFF) {
    return 0;
  }
  WindowClass &entry = r.classes[name];
  entry.info = *windowClass;
  entry.info.lpszClassName = nullptr; // the caller's string may not last
  entry.info.lpszMenuName = nullptr;
  entry.atom = r.nextAtom++;
  return entry.atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
  WindowClass *entry = FindClass(className);
  if (entry == nullptr) {
    return FALSE;
  }
  Registry &r = registry();
  std::string name;
  for (auto &e : r.classes) {
    if (&e.second == entry) {
      name = e.first;
    }
  }
  for (uintptr_t window : r.windows) {
    const WindowObject *w = Find<WindowObject>(ToHandle<HWND>(window));
    if (w != nullptr && w->className == name) {
      return FALSE; // a class with windows stays
    }
  }
  r.classes.erase(name);
  return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName,
                            DWORD style, int x, int y, int width, int height,
                            HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param) {
  const WindowClass *entry = FindClass(className);
  if (entry == nullptr) {
    return nullptr;
  }
  const bool child = (style & WS_CHILD) != 0;
  if (child && Find<WindowObject>(parent) == nullptr) {
    return nullptr;
  }
  auto window = std::make_unique<WindowObject>();
  for (const auto &e : registry().classes) {
    if (&e.second == entry) {
      window->className = e.first;
    }
  }
  window->procedure = entry->info.lpfnWndProc;
  window->style = style;
  window->x = x;
  window->y = y;
  window->width = std::clamp(width, 0, kMaxDisplaySide);
  window->height = std::clamp(height, 0, kMaxDisplaySide);
  window->parent = child ? HandleValue(parent) : 0;
  const bool ownDc = (entry->info.style & CS_OWNDC) != 0;
  WindowObject *created = window.get();
  const uintptr_t handle = AddObject(std::move(window));
  registry().windows.push_back(handle);
  if (ownDc) {
    created->ownDc = NewWindowDc(handle, true);
  }

  CREATESTRUCTA create{param,      instance,  menu,
                       parent,     height,    width,
                       y,          x,         static_cast<LONG>(style),
                       windowName, className, exStyle};
  if (SendToWindow(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) ==
      -1) {
    // A refused creation destroys the window without WM_DESTROY.
    if (Find<WindowObject>(ToHandle<HWND>(handle)) != nullptr) {
      FreeWindow(handle);
    }
    return nullptr;
  }
  if (Find<WindowObject>(ToHandle<HWND>(handle)) == nullptr) {
    return nullptr; // destroyed during its own creation
  }
  return ToHandle<HWND>(handle);
}

BOOL WINAPI DestroyWindow(HWND window) {
  WindowObject *w = Find<WindowObject>(window);
  if (w == nullptr || w->destroying) {
    return FALSE;
  }
  w->destroying = true;
  const uintptr_t handle = HandleValue(window);
  // The window hears of its destruction before its children do.
  SendToWindow(handle, WM_DESTROY, 0, 0);
  const std::vector<uintptr_t> all = registry().windows;
  for (uintptr_t other : all) {
    const WindowObject *c = Find<WindowObject>(ToHandle<HWND>(other));
    if (c != nullptr && c->parent == handle) {
      DestroyWindow(ToHandle<HWND>(other));
    }
  }
  if (Find<WindowObject>(window) != nullptr) {
    FreeWindow(handle);
  }
  return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  const WindowObject *w = Find<WindowObject>(window);
  if (w == nullptr || rect == nullptr) {
    return FALSE;
  }
  *rect = RECT{0, 0, w->width, w->height};
  return TRUE;
}

HDC WINAPI GetDC(HWND window) {
  if (window == nullptr) {
    return ToHandle<HDC>(NewWindowDc(0, false));
  }
  const WindowObject *w = Find<WindowObject>(window);
  if (w == nullptr) {
    return nullptr;
  }
  if (w->ownDc != 0) {
    return ToHandle<HDC>(w->ownDc);
  }
  return ToHandle<HDC>(NewWindowDc(HandleValue(window), false));
}

// The window is not checked: Win32 finds the context by its handle alone, so
// ReleaseDC(NULL, dc) and a mismatched window still release it.
int WINAPI ReleaseDC(HWND, HDC dc) {
  const DcObject *d = Find<DcObject>(dc);
  if (d == nullptr || d->memory) {
    return 0;
  }
  if (!d->ownDc) {
    RemoveObject(HandleValue(dc));
  }
  return 1;
}
