// Our X windows: one for each top-level window of ours and for each child
// of a foreign window (a preview); children of our own windows are drawn
// inside their parent's.
#include <algorithm>

#include "backends/x11/x11.h"
// After the layer's headers, as in x11.h.
#include <X11/Xatom.h>

namespace platform::detail::x11 {

const Peer *X11::PeerById(Window id, uintptr_t *window) const {
  for (const auto &[handle, peer] : peers) {
    if (peer.id == id) {
      *window = handle;
      return &peer;
    }
  }
  return nullptr;
}

void X11::CreatePeer(uintptr_t window, const PeerWindow &how) {
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
      std::clamp<long>(area.right - area.left, 1, kMaxFramebufferSide));
  const auto height = static_cast<unsigned>(
      std::clamp<long>(area.bottom - area.top, 1, kMaxFramebufferSide));
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
  peers[window] = Peer{id, how.parent, area, how.className, false};
}

void X11::ShowPeer(uintptr_t window, const char *title) {
  auto found = peers.find(window);
  if (found == peers.end()) {
    return;
  }
  Peer &peer = found->second;
  // Other processes find our windows by class and title (FindWindowA).
  XStoreName(x, peer.id, title);
  XClassHint hint{peer.className.data(), peer.className.data()};
  XSetClassHint(x, peer.id, &hint);
  Trap();
  XMapRaised(x, peer.id);
  peer.mapped = Untrap();
  if (peer.foreignParent == 0) {
    ReleaseServer();
  }
}

void X11::HidePeer(uintptr_t window) {
  auto found = peers.find(window);
  if (found == peers.end()) {
    return;
  }
  Trap();
  XUnmapWindow(x, found->second.id);
  Untrap();
  found->second.mapped = false;
}

void X11::ManageDialog(uintptr_t window, uintptr_t transientFor) {
  const auto found = peers.find(window);
  if (found == peers.end() || found->second.foreignParent != 0) {
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

void X11::RaisePeer(uintptr_t window) {
  auto found = peers.find(window);
  if (found == peers.end() || found->second.foreignParent != 0) {
    return;
  }
  Trap();
  XRaiseWindow(x, found->second.id);
  Untrap();
}

void X11::DestroyPeer(uintptr_t window) {
  auto found = peers.find(window);
  if (found == peers.end()) {
    return;
  }
  const Window id = found->second.id;
  peers.erase(found);
  Trap();
  XDestroyWindow(x, id);
  Untrap();
}

} // namespace platform::detail::x11
