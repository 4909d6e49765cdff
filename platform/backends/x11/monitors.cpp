// The X screen's monitors, for the process that starts a saver on each: a
// connection of its own that RandR tells of every change, and a second
// start's raise of the savers already running. The savers themselves only
// get their monitor's key (--screen) and never ask RandR.
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "backends/x11/monitor_list.h"
#include "backends/x11/x11.h"
#include "layer_x11.h"
// After the layer's headers, as in x11.h.
#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

namespace platform::detail::x11 {
namespace {

::Display *watch = nullptr;
bool randr = false;

// The server went away under the watch: the savers find out too, say so
// and end with 1. They get the second that takes before our end takes them
// along.
int OnWatchLost(::Display *) {
  for (int wait = 0; wait < 100 && waitpid(-1, nullptr, WNOHANG) >= 0; ++wait) {
    poll(nullptr, 0, 10);
  }
  _exit(1);
}
int OnWatchError(::Display *, XErrorEvent *) { return 0; }

MonitorArea Named(::Display *x, Atom name, int left, int top, int width,
                  int height) {
  char *text = name != None ? XGetAtomName(x, name) : nullptr;
  MonitorArea monitor{text != nullptr ? text : "monitor", left, top, width,
                      height};
  if (text != nullptr) {
    XFree(text);
  }
  return monitor;
}

} // namespace

} // namespace platform::detail::x11

namespace platform {

using namespace detail::x11;

bool WatchX11Monitors() {
  watch = XOpenDisplay(nullptr);
  if (watch == nullptr) {
    return false;
  }
  XSetIOErrorHandler(OnWatchLost);
  XSetErrorHandler(OnWatchError);
  int event = 0, error = 0, major = 0, minor = 0;
  // RandR 1.5 lists monitors; an older one, or none, leaves the screen.
  randr = XRRQueryExtension(watch, &event, &error) != 0 &&
          XRRQueryVersion(watch, &major, &minor) != 0 &&
          (major > 1 || (major == 1 && minor >= 5));
  if (randr) {
    XRRSelectInput(watch, XDefaultRootWindow(watch),
                   RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask |
                       RROutputChangeNotifyMask);
  }
  XFlush(watch);
  return true;
}

int X11MonitorsDescriptor() {
  return watch != nullptr ? XConnectionNumber(watch) : -1;
}

bool ReadX11Monitors(std::vector<std::string> *keys) {
  if (watch == nullptr) {
    return false;
  }
  // A closed connection reads as nothing at all; Xlib would only find out
  // inside its I/O error handler.
  char byte = 0;
  if (recv(XConnectionNumber(watch), &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0) {
    return false;
  }
  while (XPending(watch) > 0) {
    XEvent event;
    XNextEvent(watch, &event); // only RandR's: the list is read anew below
  }
  const Window root = XDefaultRootWindow(watch);
  Window rootBack = 0;
  int left = 0, top = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  if (XGetGeometry(watch, root, &rootBack, &left, &top, &width, &height,
                   &border, &depth) == 0) {
    return false;
  }
  std::vector<MonitorArea> listed;
  if (randr) {
    int count = 0;
    XRRMonitorInfo *monitors = XRRGetMonitors(watch, root, True, &count);
    for (int i = 0; monitors != nullptr && i < count; ++i) {
      listed.push_back(Named(watch, monitors[i].name, monitors[i].x,
                             monitors[i].y, monitors[i].width,
                             monitors[i].height));
    }
    if (monitors != nullptr) {
      XRRFreeMonitors(monitors);
    }
  }
  keys->clear();
  for (const MonitorArea &monitor : MonitorsToCover(
           listed, static_cast<int>(width), static_cast<int>(height))) {
    keys->push_back(MonitorKey(monitor));
  }
  return true;
}

void RaiseX11Savers() {
  ::Display *x = XOpenDisplay(nullptr);
  if (x == nullptr) {
    return;
  }
  XSetErrorHandler(OnWatchError); // a window may go while we look
  const Atom property = XInternAtom(x, kScreensProperty, False);
  Window rootBack = 0, parentBack = 0;
  Window *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(x, XDefaultRootWindow(x), &rootBack, &parentBack, &children,
                 &count) != 0) {
    // Bottom first, so they keep their order among themselves.
    for (unsigned i = 0; i < count; ++i) {
      int found = 0;
      Atom *atoms = XListProperties(x, children[i], &found);
      for (int a = 0; a < found; ++a) {
        if (atoms[a] == property) {
          XRaiseWindow(x, children[i]);
          break;
        }
      }
      if (atoms != nullptr) {
        XFree(atoms);
      }
    }
    XFree(children);
  }
  XSync(x, False);
  XCloseDisplay(x);
}

} // namespace platform
