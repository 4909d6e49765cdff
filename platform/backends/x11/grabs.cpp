// The pointer and the keyboard: where the pointer is, the blank cursor
// that hides it over our windows, and the grabs that hold all input while
// the screen saver runs.
#include <cstdio>
#include <ctime>

#include "backends/x11/x11.h"

namespace platform::detail::x11 {

// The real pointer, where it is now, as GetCursorPos reads it on Windows.
POINT X11::CursorPosition() {
  Window rootBack = 0, child = 0;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned buttons = 0;
  if (XQueryPointer(x, root, &rootBack, &child, &rootX, &rootY, &winX, &winY,
                    &buttons)) {
    lastCursor = POINT{rootX - offset.x, rootY - offset.y};
  }
  return lastCursor;
}

void X11::ShowCursor(bool shown) {
  if (cursorHidden == !shown) {
    return;
  }
  cursorHidden = !shown;
  for (const auto &[window, peer] : peers) {
    Trap();
    if (cursorHidden) {
      XDefineCursor(x, peer.id, blank);
    } else {
      XUndefineCursor(x, peer.id);
    }
    Untrap();
  }
  if (running) {
    XChangeActivePointerGrab(
        x, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
        cursorHidden ? blank : None, CurrentTime);
  }
  XFlush(x);
}

// The running state holds keyboard and pointer, so no other program takes
// input while the saver asks for its password. Another client may hold a
// grab for a moment (a menu, a drag): retry for up to a second. Of the
// savers of several monitors one gets the grabs, and with them the input
// over every monitor; the others try again every half second, so one of
// them takes over should its monitor go.
void X11::SetScreenSaverRunning(bool on) {
  if (on == running) {
    return;
  }
  running = on;
  if (!on) {
    XUngrabKeyboard(x, CurrentTime);
    XUngrabPointer(x, CurrentTime);
    XFlush(x);
    keyboardHeld = pointerHeld = false;
    return;
  }
  const int attempts = group != 0 ? 1 : 20;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (attempt > 0) {
      const timespec pause{0, 50 * 1000 * 1000};
      nanosleep(&pause, nullptr);
    }
    Grab();
    if (keyboardHeld && pointerHeld) {
      return;
    }
  }
  if (group == 0) {
    std::fprintf(stderr, "gushmire: could not grab the %s\n",
                 !keyboardHeld ? "keyboard" : "pointer");
  }
}

void X11::Grab() {
  nextGrab = Now() + 500;
  keyboardHeld =
      keyboardHeld || XGrabKeyboard(x, root, True, GrabModeAsync, GrabModeAsync,
                                    CurrentTime) == GrabSuccess;
  pointerHeld =
      pointerHeld ||
      XGrabPointer(x, root, True,
                   ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                   GrabModeAsync, GrabModeAsync, None,
                   cursorHidden ? blank : None, CurrentTime) == GrabSuccess;
}

} // namespace platform::detail::x11
