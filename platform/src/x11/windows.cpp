// Our X windows: one for each top-level window of ours and for each child
// of a foreign window (a preview); children of our own windows are drawn
// inside their parent's.
#include <algorithm>

#include "x11.h"
// After the layer's headers, as in x11.h.
#include <X11/Xatom.h>

namespace platform::detail::x11 {

const Native *X11::NativeById(Window id, uintptr_t *window) const {
  for (const auto &[handle, native] : natives) {
    if (native.id == id) {
      *window = handle;
      return &native;
    }
  }
  return nullptr;
}

void X11::CreateNative(uintptr_t window, const NativeWindow &how) {
  const bool topLevel = how.parent == 0;
  const RECT &area = how.area;
  if (topLevel && how.topmost) {
    GrabPicture(root, area);
  } else if (!topLevel && ForeignExists(how.parent)) {
    GrabPicture(static_cast<Window>(how.parent), area);
  }
  XSetWindowAttributes attributes{};
  // No background: X must not clear what the framebuffer is about to show.
  attributes.background_pixmap = None;
  attributes.border_pixel = 0;
  attributes.colormap = colormap;
  attributes.override_redirect = topLevel && how.topmost ? True : False;
  attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask |
                          ButtonPressMask | ButtonReleaseMask |
                          PointerMotionMask | StructureNotifyMask;
  attributes.cursor = cursorHidden ? blank : None;
  const unsigned long mask = CWBackPixmap | CWBorderPixel | CWColormap |
                             CWOverrideRedirect | CWEventMask | CWCursor;
  const auto width = static_cast<unsigned>(
      std::clamp<long>(area.right - area.left, 1, kMaxDisplaySide));
  const auto height = static_cast<unsigned>(
      std::clamp<long>(area.bottom - area.top, 1, kMaxDisplaySide));
  const POINT shift = topLevel ? offset : POINT{0, 0};
  Trap();
  const Window id =
      XCreateWindow(x, topLevel ? root : static_cast<Window>(how.parent),
                    area.left + shift.x, area.top + shift.y, width, height, 0,
                    depth, InputOutput, visual, mask, &attributes);
  if (topLevel && group != 0) {
    XChangeProperty(x, id, XInternAtom(x, kScreensProperty, False), XA_CARDINAL,
                    32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&group), 1);
  }
  if (!topLevel) {
    // We learn of the parent's end through its DestroyNotify.
    XSelectInput(x, static_cast<Window>(how.parent), StructureNotifyMask);
  }
  if (!Untrap()) {
    if (id != 0) {
      Trap();
      XDestroyWindow(x, id);
      Untrap();
    }
    // The parent went before we could sit in it, so no DestroyNotify will
    // tell: report it from the next wait, once creation is over.
    if (!topLevel) {
      parentsGone.push_back(how.parent);
    }
    return;
  }
  natives[window] = Native{id, how.parent, area, how.className, false};
}

void X11::ShowNative(uintptr_t window, const char *title) {
  auto found = natives.find(window);
  if (found == natives.end()) {
    return;
  }
  Native &native = found->second;
  // Other processes find our windows by class and title (FindWindowA).
  XStoreName(x, native.id, title);
  XClassHint hint{native.className.data(), native.className.data()};
  XSetClassHint(x, native.id, &hint);
  Trap();
  XMapRaised(x, native.id);
  native.mapped = Untrap();
  if (native.foreignParent == 0) {
    ReleaseServer();
  }
}

void X11::HideNative(uintptr_t window) {
  auto found = natives.find(window);
  if (found == natives.end()) {
    return;
  }
  Trap();
  XUnmapWindow(x, found->second.id);
  Untrap();
  found->second.mapped = false;
}

void X11::ManageDialog(uintptr_t window, uintptr_t transientFor) {
  const auto found = natives.find(window);
  if (found == natives.end() || found->second.foreignParent != 0) {
    return;
  }
  const Window id = found->second.id;
  const RECT &area = found->second.area;
  // A fixed size, at the place the dialog code chose (centred).
  XSizeHints *hints = XAllocSizeHints();
  if (hints != nullptr) {
    hints->flags = USPosition | PPosition | PMinSize | PMaxSize;
    hints->x = area.left + offset.x;
    hints->y = area.top + offset.y;
    hints->min_width = hints->max_width =
        std::max(1, static_cast<int>(area.right - area.left));
    hints->min_height = hints->max_height =
        std::max(1, static_cast<int>(area.bottom - area.top));
    XSetWMNormalHints(x, id, hints);
    XFree(hints);
  }
  Atom deleteWindow = XInternAtom(x, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(x, id, &deleteWindow, 1);
  Trap();
  if (transientFor != 0 && ForeignExists(transientFor)) {
    XSetTransientForHint(x, id, static_cast<Window>(transientFor));
  }
  Untrap();
}

void X11::RaiseNative(uintptr_t window) {
  auto found = natives.find(window);
  if (found == natives.end() || found->second.foreignParent != 0) {
    return;
  }
  Trap();
  XRaiseWindow(x, found->second.id);
  Untrap();
}

void X11::DestroyNative(uintptr_t window) {
  auto found = natives.find(window);
  if (found == natives.end()) {
    return;
  }
  const Window id = found->second.id;
  natives.erase(found);
  Trap();
  XDestroyWindow(x, id);
  Untrap();
}

} // namespace platform::detail::x11
