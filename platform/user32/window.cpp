// The window tree: creation, showing and destruction with the messages a
// window gets from them, in the order Wine sends them. Frames, non-client
// areas, the input method and palette messages are not modelled.
#include "user32/window.h"

#include <algorithm>

#include "core/backend.h"
#include "core/framebuffer.h"

namespace platform::detail {
namespace {

struct Tree {
  std::vector<uintptr_t> topLevel; // front to back
};

Tree &tree() {
  static Tree instance;
  return instance;
}

std::vector<uintptr_t> &SiblingsOf(const WindowObject &w) {
  if (w.style & WS_CHILD) {
    if (WindowObject *p = FindWindowObject(w.parent)) {
      return p->children;
    }
  }
  return tree().topLevel;
}

void Unlink(uintptr_t window, const WindowObject &w) {
  std::vector<uintptr_t> &list = SiblingsOf(w);
  list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

bool IsTopmost(uintptr_t window) {
  const WindowObject *w = FindWindowObject(window);
  return w != nullptr && (w->exStyle & WS_EX_TOPMOST) != 0;
}

void SendParentNotify(const WindowObject &w, uintptr_t window, UINT event) {
  constexpr UINT kParentNotify = 0x0210; // WM_PARENTNOTIFY
  constexpr DWORD kNoParentNotify = 0x4; // WS_EX_NOPARENTNOTIFY
  if ((w.style & WS_CHILD) == 0 || (w.exStyle & kNoParentNotify) != 0) {
    return;
  }
  const WPARAM wParam = event | (static_cast<WPARAM>(w.id & 0xFFFF) << 16);
  SendToWindow(w.parent, kParentNotify, wParam, static_cast<LPARAM>(window));
}

void SendPosChange(uintptr_t window) {
  // The WINDOWPOS records are not modelled; a null lParam says so.
  SendToWindow(window, WM_WINDOWPOSCHANGING, 0, 0);
}
void SendPosChanged(uintptr_t window) {
  SendToWindow(window, WM_WINDOWPOSCHANGED, 0, 0);
}

// Frees a window and, first, its children; sends each WM_NCDESTROY.
void FreeWindow(uintptr_t window) {
  WindowObject *w = FindWindowObject(window);
  if (w == nullptr) {
    return;
  }
  const std::vector<uintptr_t> children = w->children;
  for (uintptr_t child : children) {
    FreeWindow(child);
  }
  SendToWindow(window, WM_NCDESTROY, 0, 0);
  w = FindWindowObject(window);
  if (w == nullptr) {
    return;
  }
  ForgetWindowMessages(window);
  WindowDestroyed(window);
  TheBackend().DestroyPeer(window);
  Unlink(window, *w);
  if (w->ownDc != 0) {
    RemoveObject(w->ownDc); // the class DC dies with its window
  }
  RemoveObject(window);
}

// WM_DESTROY goes to the window, then to its children, parents first.
void SendDestroy(uintptr_t window) {
  SendToWindow(window, WM_DESTROY, 0, 0);
  if (const WindowObject *w = FindWindowObject(window)) {
    const std::vector<uintptr_t> children = w->children;
    for (uintptr_t child : children) {
      if (FindWindowObject(child) != nullptr) {
        SendDestroy(child);
      }
    }
  }
}

// Hides a window the way SetWindowPos(SWP_HIDEWINDOW) does: no
// WM_SHOWWINDOW, only the position-change pair.
void HideSilently(uintptr_t window) {
  SendPosChange(window);
  if (WindowObject *w = FindWindowObject(window)) {
    w->style &= ~WS_VISIBLE;
    TheBackend().HidePeer(window);
  }
  SendPosChanged(window);
  WindowHidden(window);
}

// A window that appears is erased at once, before it is painted: the
// WM_PAINT that follows finds the erase done, whatever WM_ERASEBKGND
// answered.
void EraseNow(uintptr_t window) {
  WindowObject *w = FindWindowObject(window);
  if (w == nullptr || !ReallyVisible(*w)) {
    return;
  }
  if (w->erasePending && !w->update.rects.empty()) {
    w->erasePending = false;
    HDC dc = GetDC(ToHandle<HWND>(window));
    SendToWindow(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(ToHandle<HWND>(window), dc);
  }
  if ((w = FindWindowObject(window)) != nullptr) {
    for (uintptr_t child : std::vector<uintptr_t>(w->children)) {
      EraseNow(child);
    }
  }
}

void ForgetWindowTree(uintptr_t window) {
  if (const WindowObject *w = FindWindowObject(window)) {
    for (uintptr_t child : std::vector<uintptr_t>(w->children)) {
      ForgetWindowTree(child);
    }
    if (w->ownDc != 0) {
      RemoveObject(w->ownDc);
    }
    TheBackend().DestroyPeer(window);
    RemoveObject(window);
  }
}

} // namespace

WindowObject *FindWindowObject(uintptr_t window) {
  return Find<WindowObject>(ToHandle<HWND>(window));
}

std::vector<uintptr_t> ChildrenOf(uintptr_t window) {
  if (window == 0) {
    return tree().topLevel;
  }
  const WindowObject *w = FindWindowObject(window);
  return w == nullptr ? std::vector<uintptr_t>{} : w->children;
}

std::vector<uintptr_t> AllWindows() {
  std::vector<uintptr_t> all;
  std::vector<uintptr_t> pending(tree().topLevel.rbegin(),
                                 tree().topLevel.rend());
  while (!pending.empty()) {
    const uintptr_t window = pending.back();
    pending.pop_back();
    all.push_back(window);
    if (const WindowObject *w = FindWindowObject(window)) {
      pending.insert(pending.end(), w->children.rbegin(), w->children.rend());
    }
  }
  return all;
}

uintptr_t RootOf(uintptr_t window) {
  for (int depth = 0; depth < 256; ++depth) {
    const WindowObject *w = FindWindowObject(window);
    if (w == nullptr || (w->style & WS_CHILD) == 0 ||
        FindWindowObject(w->parent) == nullptr) {
      return window;
    }
    window = w->parent;
  }
  return window;
}

bool ReallyVisible(const WindowObject &w) {
  const WindowObject *at = &w;
  for (int depth = 0; at != nullptr && depth < 256; ++depth) {
    if ((at->style & WS_VISIBLE) == 0) {
      return false;
    }
    if ((at->style & WS_CHILD) == 0) {
      return true;
    }
    const WindowObject *parent = FindWindowObject(at->parent);
    if (parent == nullptr) {
      // Inside a foreign window: visible as far as we can tell.
      return IsOurHandle(at->parent) ? false : true;
    }
    at = parent;
  }
  return false;
}

POINT ClientOrigin(const WindowObject &w) {
  long long x = 0, y = 0;
  const WindowObject *at = &w;
  for (int depth = 0; at != nullptr && depth < 256; ++depth) {
    x += at->x;
    y += at->y;
    at = (at->style & WS_CHILD) ? FindWindowObject(at->parent) : nullptr;
  }
  const auto clampLong = [](long long v) {
    return static_cast<LONG>(std::clamp<long long>(v, -(1LL << 30), 1LL << 30));
  };
  return POINT{clampLong(x), clampLong(y)};
}

void BringToFront(uintptr_t window) {
  std::vector<uintptr_t> &list = tree().topLevel;
  auto at = std::find(list.begin(), list.end(), window);
  if (at == list.end()) {
    return;
  }
  list.erase(at);
  // Topmost windows stay above the others.
  auto place = list.begin();
  if (!IsTopmost(window)) {
    place = std::find_if(list.begin(), list.end(),
                         [](uintptr_t w) { return !IsTopmost(w); });
  }
  list.insert(place, window);
  TheBackend().RaisePeer(window);
}

void ForgetAllWindows() {
  for (uintptr_t window : std::vector<uintptr_t>(tree().topLevel)) {
    ForgetWindowTree(window);
  }
  tree().topLevel.clear();
  ForgetAllClasses();
}

LRESULT SendToWindow(uintptr_t window, UINT message, WPARAM wParam,
                     LPARAM lParam) {
  const WindowObject *w = FindWindowObject(window);
  if (w == nullptr || w->procedure == nullptr) {
    return 0;
  }
  return w->procedure(ToHandle<HWND>(window), message, wParam, lParam);
}

void ForeignWindowGone(uintptr_t id) {
  for (uintptr_t window : AllWindows()) {
    const WindowObject *w = FindWindowObject(window);
    if (w != nullptr && (w->style & WS_CHILD) && w->parent == id) {
      DestroyWindow(ToHandle<HWND>(window));
    }
  }
}

} // namespace platform::detail

using namespace platform::detail;

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName,
                            DWORD style, int x, int y, int width, int height,
                            HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param) {
  const WindowClass *entry = FindClass(className);
  if (entry == nullptr) {
    return nullptr;
  }
  const uintptr_t parentValue = HandleValue(parent);
  const bool child = (style & WS_CHILD) != 0;
  if (child && !IsWindow(parent)) {
    return nullptr;
  }
  if (!child && parentValue != 0 && FindWindowObject(parentValue) == nullptr) {
    return nullptr; // an owner must be one of ours
  }
  auto window = std::make_unique<WindowObject>();
  window->windowClass = entry;
  window->procedure = entry->info.lpfnWndProc;
  // Shown only after creation, through ShowWindow, as Wine does.
  window->style = style & ~WS_VISIBLE;
  window->exStyle = exStyle;
  window->x = x;
  window->y = y;
  window->width = std::clamp(width, 0, kMaxFramebufferSide);
  window->height = std::clamp(height, 0, kMaxFramebufferSide);
  if (child) {
    window->parent = parentValue;
    window->id = HandleValue(menu);
  } else if (parentValue != 0) {
    window->owner = RootOf(parentValue);
  }
  const bool ownDc = (entry->info.style & CS_OWNDC) != 0;
  WindowObject *created = window.get();
  const uintptr_t handle = AddObject(std::move(window));
  // New windows go in front of their siblings. Children of a foreign
  // window count as top level here: nothing of ours holds them.
  if (WindowObject *p = child ? FindWindowObject(parentValue) : nullptr) {
    std::vector<uintptr_t> &siblings = p->children;
    siblings.push_back(handle);
    std::rotate(siblings.rbegin(), siblings.rbegin() + 1, siblings.rend());
  } else {
    tree().topLevel.push_back(handle);
    BringToFront(handle);
  }
  if (ownDc) {
    created->ownDc = NewWindowDc(handle, true);
  }
  if (!child || !IsOurHandle(parentValue)) {
    TheBackend().CreatePeer(
        handle,
        PeerWindow{child ? parentValue : 0,
                   RECT{created->x, created->y, created->x + created->width,
                        created->y + created->height},
                   (exStyle & WS_EX_TOPMOST) != 0, entry->name.c_str()});
  }

  CREATESTRUCTA create{param,      instance,  menu,
                       parent,     height,    width,
                       y,          x,         static_cast<LONG>(style),
                       windowName, className, exStyle};
  const auto gone = [&] { return FindWindowObject(handle) == nullptr; };
  const LPARAM createParam = reinterpret_cast<LPARAM>(&create);
  if (SendToWindow(handle, WM_NCCREATE, 0, createParam) == 0 && !gone()) {
    FreeWindow(handle);
    return nullptr;
  }
  // A refused creation destroys the window without WM_DESTROY.
  if (gone() || SendToWindow(handle, WM_CREATE, 0, createParam) == -1) {
    FreeWindow(handle);
    return nullptr;
  }
  if (gone()) {
    return nullptr; // destroyed during its own creation
  }
  SendToWindow(handle, WM_SIZE, 0,
               static_cast<LPARAM>((created->width & 0xFFFF) |
                                   (created->height & 0xFFFF) << 16));
  if (gone()) {
    return nullptr;
  }
  SendToWindow(
      handle, WM_MOVE, 0,
      static_cast<LPARAM>((created->x & 0xFFFF) | (created->y & 0xFFFF) << 16));
  if (gone()) {
    return nullptr;
  }
  SendParentNotify(*created, handle, WM_CREATE);
  if (!gone() && (style & WS_VISIBLE)) {
    ShowWindow(ToHandle<HWND>(handle), SW_SHOW);
  }
  return gone() ? nullptr : ToHandle<HWND>(handle);
}

BOOL WINAPI ShowWindow(HWND window, int command) {
  WindowObject *w = FindWindowObject(window);
  if (w == nullptr) {
    return FALSE;
  }
  const uintptr_t handle = HandleValue(window);
  const bool wasVisible = (w->style & WS_VISIBLE) != 0;
  const bool show = command != SW_HIDE;
  if (show == wasVisible) {
    return wasVisible ? TRUE : FALSE;
  }
  const bool child = (w->style & WS_CHILD) != 0;
  SendToWindow(handle, WM_SHOWWINDOW, show ? 1 : 0, 0);
  SendPosChange(handle);
  if ((w = FindWindowObject(window)) == nullptr) {
    return wasVisible ? TRUE : FALSE;
  }
  if (show) {
    w->style |= WS_VISIBLE;
    TheBackend().ShowPeer(handle, w->title.c_str());
    Invalidate(handle, nullptr, true);
    // SW_SHOWNOACTIVATE, SW_SHOWMINNOACTIVE and SW_SHOWNA leave the
    // active window alone.
    if (!child && command != 4 && command != 7 && command != 8) {
      ActivateWindow(handle);
    }
    EraseNow(handle);
    SendPosChanged(handle);
  } else {
    w->style &= ~WS_VISIBLE;
    TheBackend().HidePeer(handle);
    SendPosChanged(handle);
    WindowHidden(handle);
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI DestroyWindow(HWND window) {
  WindowObject *w = FindWindowObject(window);
  if (w == nullptr || w->destroying) {
    return FALSE;
  }
  w->destroying = true;
  const uintptr_t handle = HandleValue(window);
  const bool child = (w->style & WS_CHILD) != 0;
  if (child) {
    SendParentNotify(*w, handle, WM_DESTROY);
  }
  if ((w = FindWindowObject(window)) != nullptr && (w->style & WS_VISIBLE)) {
    // Only child windows get WM_SHOWWINDOW here.
    if (child) {
      ShowWindow(window, SW_HIDE);
    } else {
      HideSilently(handle);
    }
  }
  if (FindWindowObject(window) == nullptr) {
    return TRUE;
  }
  if (!child) {
    // Owned popups go first.
    for (uintptr_t other : AllWindows()) {
      const WindowObject *o = FindWindowObject(other);
      if (o != nullptr && o->owner == handle) {
        DestroyWindow(ToHandle<HWND>(other));
      }
    }
  }
  SendDestroy(handle);
  FreeWindow(handle);
  return TRUE;
}
