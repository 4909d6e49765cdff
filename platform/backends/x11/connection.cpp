// Opening the X display, what happens on X errors and on losing the
// server, and the backend's entry points (layer_x11.h).
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "backends/x11/monitor_list.h"
#include "backends/x11/x11.h"
#include "layer_x11.h"

namespace platform::detail::x11 {

int lastXError = 0;

namespace {

// Exit code of a process whose display went away under it.
constexpr int kDisplayLostExit = 1;

// Errors of requests on windows that may vanish at any time (foreign
// windows, our children of them) are expected: record, never exit.
int OnXError(::Display *, XErrorEvent *event) {
  lastXError = event->error_code;
  return 0;
}

[[noreturn]] void DisplayLost() {
  static const char kMessage[] = "gushmire: the X display went away\n";
  // Only async-signal-safe calls: Xlib is in no state to be used again.
  const ssize_t written = write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
  static_cast<void>(written);
  _exit(kDisplayLostExit);
}
int OnIoError(::Display *) { DisplayLost(); }
#ifdef GUSHMIRE_HAVE_IO_ERROR_EXIT_HANDLER
void OnIoErrorExit(::Display *, void *) { DisplayLost(); }
#endif

void AdviseHugePages(void *memory, std::size_t bytes) {
  constexpr uintptr_t kHuge = 2u << 20;
  const auto begin =
      (reinterpret_cast<uintptr_t>(memory) + kHuge - 1) & ~(kHuge - 1);
  const auto end = (reinterpret_cast<uintptr_t>(memory) + bytes) & ~(kHuge - 1);
  if (end > begin) {
    madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
  }
}

X11 &backend() {
  static X11 instance;
  return instance;
}

} // namespace

bool X11::Open(const char *name, const RECT *monitor) {
  if (x != nullptr) {
    return true; // one display per process
  }
  x = XOpenDisplay(name);
  if (x == nullptr) {
    return false;
  }
  XSetErrorHandler(OnXError);
  XSetIOErrorHandler(OnIoError);
  // A write to a server that died must fail into the handler above, not
  // kill the process with SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
#ifdef GUSHMIRE_HAVE_IO_ERROR_EXIT_HANDLER
  XSetIOErrorExitHandler(x, OnIoErrorExit, nullptr);
#endif
  screenNumber = XDefaultScreen(x);
  root = XRootWindow(x, screenNumber);
  visual = XDefaultVisual(x, screenNumber);
  depth = XDefaultDepth(x, screenNumber);
  colormap = XDefaultColormap(x, screenNumber);
  ReadVisual();

  framebuffer.width =
      std::clamp(XDisplayWidth(x, screenNumber), 1, kMaxFramebufferSide);
  framebuffer.height =
      std::clamp(XDisplayHeight(x, screenNumber), 1, kMaxFramebufferSide);
  if (monitor != nullptr) {
    // What the monitor shows of the screen; all of it if that is nothing
    // (the layout changed since the key was read: the saver is replaced).
    const RECT part =
        Intersect(*monitor, RECT{0, 0, framebuffer.width, framebuffer.height});
    if (!Empty(part)) {
      offset = POINT{part.left, part.top};
      framebuffer.width = part.right - part.left;
      framebuffer.height = part.bottom - part.top;
    }
    group = static_cast<long>(getppid());
  }
  framebuffer.bitsPerPixel = depth <= 8 ? 8 : depth <= 16 ? 16 : 32;
  const std::size_t count = static_cast<std::size_t>(framebuffer.width) *
                            static_cast<std::size_t>(framebuffer.height);
  // Touching a 4K screen's 33 MB a 4 KiB page at a time costs hundreds of
  // milliseconds before the first frame; huge pages take a tenth of that.
  framebuffer.Allocate(count);
  AdviseHugePages(framebuffer.pixels.data(), count * sizeof(uint32_t));
  gc = XCreateGC(x, root, 0, nullptr);
  // A cursor with no visible pixel: X has no "no cursor".
  static const char kEmpty[1] = {0};
  const Pixmap empty = XCreateBitmapFromData(x, root, kEmpty, 1, 1);
  XColor black{};
  blank = XCreatePixmapCursor(x, empty, empty, &black, &black, 0, 0);
  XFreePixmap(x, empty);
  SetupImages();
  plainRgb = !pseudoColour && visual->red_mask == 0xFF0000 &&
             visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF &&
             strip->bits_per_pixel == 32 && MachineOrder(strip);
  start = MonotonicMs();
  return true;
}

} // namespace platform::detail::x11

namespace platform {

bool IsX11MonitorKey(const char *monitor) {
  detail::x11::MonitorArea area;
  return detail::x11::ParseMonitorKey(monitor, &area);
}

bool OpenX11Display(const char *name, const char *monitor) {
  detail::x11::MonitorArea area;
  if (monitor != nullptr && !detail::x11::ParseMonitorKey(monitor, &area)) {
    return false;
  }
  const RECT part{area.x, area.y, area.x + area.width, area.y + area.height};
  detail::x11::X11 &x11 = detail::x11::backend();
  if (!x11.Open(name, monitor != nullptr ? &part : nullptr)) {
    return false;
  }
  detail::UseBackend(&x11);
  return true;
}

bool OpenX11Screen(const char *monitor) {
  if (monitor != nullptr && !IsX11MonitorKey(monitor)) {
    std::fprintf(stderr, "gushmire: \"%s\" names no monitor\n", monitor);
    return false;
  }
  return OpenX11Display(nullptr, monitor);
}

uintptr_t X11RootWindow() { return detail::x11::backend().Root(); }

} // namespace platform
