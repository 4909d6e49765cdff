// Waiting and X events: input becomes the layer's hardware input, exposures
// are presented again, the ends of foreign parents and the stop signals end
// previews.
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include "backends/x11/keys.h"
#include "backends/x11/x11.h"

namespace platform::detail::x11 {
// SIGTERM and SIGINT end a preview as its parent's destruction would.
bool X11::EndPreviewsOnSignals() { return CatchStopSignals(); }

void X11::EndPreviewsIfStopped() {
  if (!TakeStopRequest()) {
    return;
  }
  std::vector<uintptr_t> parents;
  for (const auto &[window, peer] : peers) {
    if (peer.foreignParent != 0) {
      parents.push_back(peer.foreignParent);
    }
  }
  for (uintptr_t parent : parents) {
    ForeignWindowGone(parent);
  }
}

void X11::Poll() {
  ReleaseServer();
  if (running && (!keyboardHeld || !pointerHeld) && Now() >= nextGrab) {
    Grab();
  }
  EndPreviewsIfStopped();
  while (!parentsGone.empty()) {
    const uintptr_t gone = parentsGone.back();
    parentsGone.pop_back();
    ForeignWindowGone(gone);
  }
  while (XPending(x) > 0) {
    XEvent event;
    XNextEvent(x, &event);
    Handle(event);
  }
}

void X11::Wait(std::optional<uint64_t> deadline) {
  ReleaseServer();
  XFlush(x);
  if (!parentsGone.empty() || XPending(x) > 0 || StopRequested()) {
    Poll();
    return;
  }
  WaitReadable(XConnectionNumber(x), PollTimeout(deadline, Now()));
  // Reading the connection also finds out a server that went away.
  Poll();
}

void X11::Handle(XEvent &event) {
  uintptr_t window = 0;
  switch (event.type) {
  case Expose:
    if (const Peer *peer = PeerById(event.xexpose.window, &window);
        peer != nullptr && peer->mapped) {
      const LONG left = peer->area.left + event.xexpose.x;
      const LONG top = peer->area.top + event.xexpose.y;
      PresentTo(*peer, RECT{left, top, left + event.xexpose.width,
                            top + event.xexpose.height});
    }
    break;
  case MapNotify:
    // Nobody else gives an override-redirect window the keyboard.
    if (const Peer *peer = PeerById(event.xmap.window, &window);
        peer != nullptr && peer->foreignParent == 0) {
      Trap();
      XSetInputFocus(x, event.xmap.window, RevertToPointerRoot, CurrentTime);
      Untrap();
    }
    break;
  case ClientMessage:
    // The window manager's close button.
    if (PeerById(event.xclient.window, &window) != nullptr &&
        event.xclient.format == 32 &&
        static_cast<Atom>(event.xclient.data.l[0]) ==
            XInternAtom(x, "WM_DELETE_WINDOW", False)) {
      QueueClose(window);
    }
    break;
  case DestroyNotify: {
    const Window gone = event.xdestroywindow.window;
    if (PeerById(gone, &window) != nullptr) {
      peers.erase(window); // went with a foreign parent
      break;
    }
    ForeignWindowGone(static_cast<uintptr_t>(gone));
    break;
  }
  case KeyPress:
  case KeyRelease: {
    const KeySym symbol = XLookupKeysym(&event.xkey, 0);
    QueueKey(VirtualKeyOf(static_cast<unsigned long>(symbol)),
             event.type == KeyPress);
    break;
  }
  case ButtonPress:
  case ButtonRelease: {
    lastCursor =
        POINT{event.xbutton.x_root - offset.x, event.xbutton.y_root - offset.y};
    static constexpr UINT kButtons[4] = {0, VK_LBUTTON, VK_MBUTTON, VK_RBUTTON};
    if (event.xbutton.button >= 1 && event.xbutton.button <= 3) {
      QueueButton(kButtons[event.xbutton.button], event.type == ButtonPress);
    }
    break;
  }
  case MotionNotify:
    lastCursor =
        POINT{event.xmotion.x_root - offset.x, event.xmotion.y_root - offset.y};
    QueueCursorMove(lastCursor.x, lastCursor.y);
    break;
  default:
    break;
  }
}

} // namespace platform::detail::x11
