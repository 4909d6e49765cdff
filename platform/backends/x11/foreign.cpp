// Windows of other processes, by their X ids: whether they exist, their
// size, finding them by class and title, activating them, the desktop's
// active window. Any of them may vanish between two requests, so every
// request on them runs with X errors trapped.
#include <cctype>
#include <cstring>

#include "backends/x11/x11.h"
// After the layer's headers, as in x11.h.
#include <X11/Xatom.h>

namespace platform::detail::x11 {

void X11::ReleaseServer() {
  if (serverHeld) {
    serverHeld = false;
    XUngrabServer(x);
    XFlush(x);
  }
}

// The single XID a window property of TYPE holds, 0 when it holds none.
// Called with errors trapped: the window may belong to another client.
XID X11::IdProperty(Window from, const char *name, Atom type) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char *data = nullptr;
  XID id = 0;
  if (XGetWindowProperty(x, from, XInternAtom(x, name, False), 0, 1, False,
                         type, &actual, &format, &count, &after,
                         &data) == Success &&
      actual == type && format == 32 && count == 1 && data != nullptr) {
    // Xlib hands 32-bit items over as longs.
    std::memcpy(&id, data, sizeof id);
  }
  if (data != nullptr) {
    XFree(data);
  }
  return id;
}

bool X11::Viewable(Window id) {
  XWindowAttributes attributes{};
  Trap();
  const Status got = XGetWindowAttributes(x, id, &attributes);
  return Untrap() && got != 0 && attributes.map_state == IsViewable;
}

uintptr_t X11::ForeignForeground() {
  Trap();
  const uintptr_t found = IdProperty(root, "_NET_ACTIVE_WINDOW", XA_WINDOW);
  Untrap();
  uintptr_t ours = 0;
  if (found != 0 && PeerById(static_cast<Window>(found), &ours) != nullptr) {
    return 0; // one of ours: the layer knows its own active window
  }
  return found != 0 && ForeignExists(found) ? found : 0;
}

bool X11::ForeignExists(uintptr_t id) {
  int width = 0, height = 0;
  return ForeignClientSize(id, &width, &height);
}

bool X11::ForeignClientSize(uintptr_t id, int *width, int *height) {
  if (id == 0 || id > 0x1FFFFFFFu || width == nullptr || height == nullptr) {
    return false; // X resource ids fit in 29 bits
  }
  XWindowAttributes attributes{};
  Trap();
  const Status got =
      XGetWindowAttributes(x, static_cast<Window>(id), &attributes);
  if (!Untrap() || got == 0) {
    return false;
  }
  *width = attributes.width;
  *height = attributes.height;
  return true;
}

// Top-level windows of other processes by WM_CLASS and WM_NAME. Class
// names compare without case, as window classes do on Windows.
uintptr_t X11::FindForeign(const char *className, const char *title) {
  Window rootBack = 0, parentBack = 0;
  Window *children = nullptr;
  unsigned count = 0;
  if (!serverHeld) {
    XGrabServer(x);
    serverHeld = true;
  }
  Trap();
  if (!XQueryTree(x, root, &rootBack, &parentBack, &children, &count)) {
    Untrap();
    return 0;
  }
  const auto sameText = [](const char *a, const char *b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
      if (std::tolower(static_cast<unsigned char>(*a)) !=
          std::tolower(static_cast<unsigned char>(*b))) {
        return false;
      }
    }
    return *a == *b;
  };
  uintptr_t found = 0;
  for (unsigned i = count; i-- > 0 && found == 0;) { // top of the stack first
    const Window candidate = children[i];
    uintptr_t ours = 0;
    if (PeerById(candidate, &ours) != nullptr) {
      continue;
    }
    // The saver of another monitor, started along with us, is no other
    // saver already running.
    if (group != 0 && IdProperty(candidate, kScreensProperty, XA_CARDINAL) ==
                          static_cast<XID>(group)) {
      continue;
    }
    bool matches = true;
    if (className != nullptr) {
      XClassHint hint{};
      matches = XGetClassHint(x, candidate, &hint) != 0 &&
                hint.res_class != nullptr &&
                sameText(hint.res_class, className);
      XFree(hint.res_name);
      XFree(hint.res_class);
    }
    if (matches && title != nullptr) {
      char *name = nullptr;
      matches = XFetchName(x, candidate, &name) != 0 && name != nullptr &&
                std::strcmp(name, title) == 0;
      XFree(name);
    }
    if (matches && (className != nullptr || title != nullptr)) {
      found = candidate;
    }
  }
  XFree(children);
  Untrap();
  if (found != 0) {
    ReleaseServer();
  }
  return found;
}

bool X11::ActivateForeign(uintptr_t id) {
  if (!ForeignExists(id)) {
    return false;
  }
  const auto target = static_cast<Window>(id);
  Trap();
  XRaiseWindow(x, target);
  const bool raised = Untrap();
  if (raised && Viewable(target)) {
    Trap();
    XSetInputFocus(x, target, RevertToPointerRoot, CurrentTime);
    Untrap();
  }
  return raised;
}

} // namespace platform::detail::x11
