// A small X client for the end-to-end suite: sets a known desktop picture,
// reads the screen back, makes a window for the preview to live in, looks
// at the pointer's cursor and sends input in bursts. Every wait is bounded
// by its own alarm.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

::Display *x = nullptr;

int Usage() {
  std::fprintf(stderr, "usage: xprobe COMMAND ARGS... (see main)\n");
  return 64;
}

// Any X error is a failed check, not a crash.
int OnError(::Display *, XErrorEvent *event) {
  std::fprintf(stderr, "xprobe: X error %d\n", event->error_code);
  return 0;
}

// At 8 bits a pixel is only an index: read it through the colormap the
// server has installed, which is what the screen shows.
std::vector<unsigned long> InstalledColours(const XWindowAttributes &a) {
  if (a.depth != 8) {
    return {};
  }
  int count = 0;
  Colormap *maps = XListInstalledColormaps(x, a.root, &count);
  const Colormap map = count > 0 ? maps[0] : a.colormap;
  XFree(maps);
  std::vector<XColor> cells(256);
  for (unsigned long i = 0; i < 256; ++i) {
    cells[i].pixel = i;
  }
  XQueryColors(x, map, cells.data(), 256);
  std::vector<unsigned long> colours;
  for (const XColor &c : cells) {
    colours.push_back((c.red >> 8) << 16 | (c.green >> 8) << 8 | c.blue >> 8);
  }
  return colours;
}

// A window, or part of one (the root's part a monitor shows).
struct Target {
  Window window = 0;
  int left = 0, top = 0, width = 0, height = 0; // width 0: all of it
};

std::vector<unsigned long> Pixels(Target target) {
  XWindowAttributes a{};
  if (!XGetWindowAttributes(x, target.window, &a)) {
    return {};
  }
  if (target.width > 0) {
    a.width = target.width;
    a.height = target.height;
  }
  const std::vector<unsigned long> colours = InstalledColours(a);
  XImage *image = XGetImage(
      x, target.window, target.left, target.top, static_cast<unsigned>(a.width),
      static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
  if (image == nullptr) {
    return {};
  }
  std::vector<unsigned long> out;
  out.reserve(static_cast<std::size_t>(a.width) * a.height);
  for (int y = 0; y < a.height; ++y) {
    for (int column = 0; column < a.width; ++column) {
      // XGetPixel is a call per pixel: too slow for 4K screens polled often.
      unsigned long pixel = 0;
      if (image->bits_per_pixel == 32 && image->byte_order == LSBFirst) {
        uint32_t value = 0;
        std::memcpy(&value,
                    image->data + y * image->bytes_per_line + column * 4, 4);
        pixel = value & 0xFFFFFF;
      } else {
        pixel = XGetPixel(image, column, y);
      }
      out.push_back(colours.empty() ? pixel : colours[pixel & 0xFF]);
    }
  }
  XDestroyImage(image);
  return out;
}

bool Save(const std::vector<unsigned long> &pixels, const char *file) {
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char *>(pixels.data()),
            static_cast<std::streamsize>(pixels.size() * sizeof(pixels[0])));
  return static_cast<bool>(out);
}

std::vector<unsigned long> Load(const char *file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                          std::istreambuf_iterator<char>());
  std::vector<unsigned long> pixels(bytes.size() / sizeof(unsigned long));
  std::memcpy(pixels.data(), bytes.data(),
              pixels.size() * sizeof(unsigned long));
  return pixels;
}

// Pixels that differ from the saved picture; -1 when sizes differ.
long Changed(Target target, const std::vector<unsigned long> &before) {
  const std::vector<unsigned long> now = Pixels(target);
  if (now.size() != before.size() || now.empty()) {
    return -1;
  }
  long changed = 0;
  for (std::size_t i = 0; i < now.size(); ++i) {
    changed += now[i] != before[i] ? 1 : 0;
  }
  return changed;
}

// Makes `picture` the desktop, and frees it and its GC.
void ShowOnRoot(Window root, Pixmap picture, GC gc) {
  XSetWindowBackgroundPixmap(x, root, picture);
  XClearWindow(x, root);
  XFreeGC(x, gc);
  XFreePixmap(x, picture);
  XSync(x, False);
}

// A picture no animation frame looks like: smooth ramps in three channels
// with a fine checker on top, so a misplaced copy shows up.
void Desktop() {
  const int screen = XDefaultScreen(x);
  const Window root = XRootWindow(x, screen);
  const int width = XDisplayWidth(x, screen);
  const int height = XDisplayHeight(x, screen);
  const unsigned depth = static_cast<unsigned>(XDefaultDepth(x, screen));
  const Pixmap picture = XCreatePixmap(x, root, static_cast<unsigned>(width),
                                       static_cast<unsigned>(height), depth);
  const GC gc = XCreateGC(x, picture, 0, nullptr);
  const Colormap map = XDefaultColormap(x, screen);
  // Bands of colour allocated once each, so 8-bit screens work too.
  constexpr int kBands = 16;
  for (int band = 0; band < kBands; ++band) {
    XColor colour{};
    colour.red = static_cast<unsigned short>(band * 4096);
    colour.green = static_cast<unsigned short>(65535 - band * 4096);
    colour.blue = static_cast<unsigned short>((band % 4) * 16384);
    XAllocColor(x, map, &colour);
    XSetForeground(x, gc, colour.pixel);
    const int top = height * band / kBands;
    XFillRectangle(x, picture, gc, 0, top, static_cast<unsigned>(width),
                   static_cast<unsigned>(height * (band + 1) / kBands - top));
  }
  XSetForeground(x, gc, XWhitePixel(x, screen));
  for (int y = 0; y < height; y += 8) {
    for (int column = (y / 8) % 2 * 8; column < width; column += 16) {
      XFillRectangle(x, picture, gc, column, y, 2, 2);
    }
  }
  ShowOnRoot(root, picture, gc);
}

// A picture of one's own (binary PPM, 24 bits) as the desktop, for the
// pictures in docs/; on a 24-bit TrueColor screen.
bool Wallpaper(const char *file) {
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, top = 0;
  if (!(in >> magic >> width >> height >> top) || magic != "P6" || top != 255 ||
      width <= 0 || height <= 0 || width > 16384 || height > 16384) {
    return false;
  }
  in.get();
  const auto count = static_cast<std::size_t>(width) * height;
  std::vector<unsigned char> rgb(count * 3);
  std::vector<uint32_t> pixels(count);
  if (!in.read(reinterpret_cast<char *>(rgb.data()),
               static_cast<std::streamsize>(rgb.size()))) {
    return false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    pixels[i] = uint32_t{rgb[i * 3]} << 16 | uint32_t{rgb[i * 3 + 1]} << 8 |
                rgb[i * 3 + 2];
  }
  const int screen = XDefaultScreen(x);
  const Window root = XRootWindow(x, screen);
  XImage *image = XCreateImage(x, XDefaultVisual(x, screen), 24, ZPixmap, 0,
                               reinterpret_cast<char *>(pixels.data()),
                               static_cast<unsigned>(width),
                               static_cast<unsigned>(height), 32, 0);
  const Pixmap picture = XCreatePixmap(x, root, static_cast<unsigned>(width),
                                       static_cast<unsigned>(height), 24);
  const GC gc = XCreateGC(x, picture, 0, nullptr);
  XPutImage(x, picture, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width),
            static_cast<unsigned>(height));
  image->data = nullptr; // the vector's
  XDestroyImage(image);
  ShowOnRoot(root, picture, gc);
  return true;
}

bool HasTitle(Window window, const char *title) {
  char *name = nullptr;
  const bool same = XFetchName(x, window, &name) && name != nullptr &&
                    std::strcmp(name, title) == 0;
  XFree(name);
  return same;
}

void FindTitle(Window under, const char *title, std::vector<Window> *found) {
  Window rootBack = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(x, under, &rootBack, &parent, &children, &count)) {
    return;
  }
  for (unsigned i = 0; i < count; ++i) {
    if (HasTitle(children[i], title)) {
      found->push_back(children[i]);
    }
    FindTitle(children[i], title, found);
  }
  XFree(children);
}

template <class Check> bool PollFor(double seconds, Check check) {
  const auto end =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (check()) {
      return true;
    }
    if (std::chrono::steady_clock::now() >= end) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    return Usage();
  }
  alarm(60); // no check may hang the suite
  x = XOpenDisplay(nullptr);
  if (x == nullptr) {
    std::fprintf(stderr, "xprobe: no display\n");
    return 2;
  }
  XSetErrorHandler(OnError);
  const Window root = XDefaultRootWindow(x);
  const std::string command = argv[1];
  if (command == "desktop" && argc == 3) {
    return Wallpaper(argv[2]) ? 0 : 1;
  }
  if (command == "desktop") {
    Desktop();
    return 0;
  }
  // The screen, the window ID, or the screen's part WxH+X+Y, as now; the
  // saved pictures are compared by the number of pixels that differ.
  const auto target = [&](int at) {
    Target part{root};
    if (argc > at && std::sscanf(argv[at], "%dx%d+%d+%d", &part.width,
                                 &part.height, &part.left, &part.top) != 4) {
      part = Target{static_cast<Window>(std::strtoul(argv[at], nullptr, 10))};
    }
    return part;
  };
  if (command == "snap" && (argc == 3 || argc == 4)) {
    return Save(Pixels(target(3)), argv[2]) ? 0 : 1;
  }
  if (command == "wait-change" && (argc == 5 || argc == 6)) {
    // Prints the pixels changed once at least MIN differ (within SECONDS).
    const long least = std::atol(argv[4]);
    const std::vector<unsigned long> before = Load(argv[2]);
    long changed = 0;
    const bool ok = PollFor(std::atof(argv[3]), [&] {
      changed = Changed(target(5), before);
      return changed >= least;
    });
    std::printf("%ld\n", changed);
    return ok ? 0 : 1;
  }
  if (command == "colours" && argc == 3) {
    // How many colours the window shows.
    std::vector<unsigned long> pixels = Pixels(target(2));
    std::sort(pixels.begin(), pixels.end());
    std::printf("%ld\n",
                static_cast<long>(std::unique(pixels.begin(), pixels.end()) -
                                  pixels.begin()));
    return 0;
  }
  if (command == "burst" && argc == 3) {
    // N input events through XTest, as fast as the server takes them: key
    // presses and releases, clicks and pointer travel by turns.
    const KeyCode key = XKeysymToKeycode(x, XK_x);
    const long count = std::atol(argv[2]);
    for (long i = 0; i < count; ++i) {
      switch (i % 4) {
      case 0:
      case 1:
        XTestFakeKeyEvent(x, key, i % 4 == 0, CurrentTime);
        break;
      case 2:
        XTestFakeButtonEvent(x, 1, (i / 4) % 2 == 0, CurrentTime);
        break;
      default:
        XTestFakeRelativeMotionEvent(x, (i / 4) % 2 != 0 ? 9 : -9, 0,
                                     CurrentTime);
      }
    }
    XSync(x, False);
    return 0;
  }
  if (command == "window" && (argc == 4 || argc == 5)) {
    // A plain window for a preview to live in; it lives as long as this
    // process, so killing the process destroys it. With a colour, it also
    // carries a screen-sized desktop picture of that colour the way
    // XScreenSaver leaves one for its hacks.
    const int screen = XDefaultScreen(x);
    const Window window = XCreateSimpleWindow(
        x, root, 10, 10, static_cast<unsigned>(std::atoi(argv[2])),
        static_cast<unsigned>(std::atoi(argv[3])), 0, XBlackPixel(x, screen),
        XWhitePixel(x, screen));
    XStoreName(x, window, "xprobe preview host");
    if (argc == 5) {
      const auto width = static_cast<unsigned>(XDisplayWidth(x, screen));
      const auto height = static_cast<unsigned>(XDisplayHeight(x, screen));
      const Pixmap picture =
          XCreatePixmap(x, root, width, height,
                        static_cast<unsigned>(XDefaultDepth(x, screen)));
      XGCValues values{};
      values.foreground = std::strtoul(argv[4], nullptr, 16);
      const GC gc = XCreateGC(x, picture, GCForeground, &values);
      XFillRectangle(x, picture, gc, 0, 0, width, height);
      XFreeGC(x, gc);
      const unsigned long item = picture;
      XChangeProperty(x, window,
                      XInternAtom(x, "_SCREENSAVER_SCREENSHOT", False),
                      XA_PIXMAP, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char *>(&item), 1);
    }
    XMapWindow(x, window);
    XSync(x, False);
    std::printf("%lu\n", window);
    std::fflush(stdout);
    alarm(0);
    for (;;) {
      pause();
    }
  }
  if (command == "activate" && argc == 3) {
    // What a window manager does for the window it activates.
    const unsigned long id = std::strtoul(argv[2], nullptr, 10);
    XChangeProperty(x, root, XInternAtom(x, "_NET_ACTIVE_WINDOW", False),
                    XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&id), 1);
    XSync(x, False);
    return 0;
  }
  if (command == "close" && argc == 3) {
    // The window manager's close button.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window =
        static_cast<Window>(std::strtoul(argv[2], nullptr, 10));
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] =
        static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, event.xclient.window, False, NoEventMask, &event);
    XSync(x, False);
    return 0;
  }
  if (command == "wait-window" && argc == 4) {
    // Every window with TITLE, one id a line, once there is one.
    std::vector<Window> found;
    const bool ok = PollFor(std::atof(argv[3]), [&] {
      found.clear();
      FindTitle(root, argv[2], &found);
      return !found.empty();
    });
    for (Window window : found) {
      std::printf("%lu\n", window);
    }
    return ok ? 0 : 1;
  }
  if (command == "launch" && argc >= 4) {
    // Starts a program and times it until a window with TITLE is mapped
    // (its first picture goes up with it); prints "PID MS RUNNING_MS
    // WAITING_MS" and leaves the program running.
    XSelectInput(x, root, SubstructureNotifyMask);
    XSync(x, False);
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
      execv(argv[3], argv + 3);
      _exit(127);
    }
    bool mapped = false;
    while (!mapped && std::chrono::steady_clock::now() - started <
                          std::chrono::seconds(10)) {
      while (!mapped && XPending(x) > 0) {
        XEvent event;
        XNextEvent(x, &event);
        mapped =
            event.type == MapNotify && HasTitle(event.xmap.window, argv[2]);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    XSync(x, False); // the picture requests sent before the map are done
    const double ms = std::chrono::duration<double, std::milli>(
                          std::chrono::steady_clock::now() - started)
                          .count();
    // On a loaded machine the wall time is mostly waiting for a core: the
    // scheduler's own figures split it into running and waiting, for the
    // program and the savers it started (one per monitor).
    double runningMs = 0, waitingMs = 0;
    const std::string self = "/proc/" + std::to_string(child);
    std::ifstream children(self + "/task/" + std::to_string(child) +
                           "/children");
    std::vector<std::string> pids{std::to_string(child)};
    for (std::string pid; children >> pid;) {
      pids.push_back(pid);
    }
    for (const std::string &pid : pids) {
      double running = 0, waiting = 0;
      std::ifstream schedstat("/proc/" + pid + "/schedstat");
      if (schedstat >> running >> waiting) {
        runningMs += running / 1e6;
        waitingMs += waiting / 1e6;
      }
    }
    std::printf("%d %.1f %.1f %.1f\n", static_cast<int>(child),
                mapped ? ms : -1.0, runningMs, waitingMs);
    return mapped ? 0 : 1;
  }
  if (command == "grab" && argc == 3) {
    // Holds keyboard and pointer for SECONDS (another client in a drag),
    // or, with 0, tells whether both can be taken now (0) or not (1).
    const int held = XGrabKeyboard(x, root, False, GrabModeAsync, GrabModeAsync,
                                   CurrentTime);
    const int pointer =
        XGrabPointer(x, root, False, ButtonPressMask, GrabModeAsync,
                     GrabModeAsync, None, None, CurrentTime);
    XSync(x, False);
    const double seconds = std::atof(argv[2]);
    if (seconds > 0) {
      std::printf("held\n");
      std::fflush(stdout);
      std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }
    return held == GrabSuccess && pointer == GrabSuccess ? 0 : 1;
  }
  if (command == "top-title" && argc == 3) {
    // Is the highest mapped top-level window the one with this title?
    Window rootBack = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(x, root, &rootBack, &parent, &children, &count);
    int result = 1;
    for (unsigned i = count; i-- > 0;) {
      XWindowAttributes a{};
      if (XGetWindowAttributes(x, children[i], &a) &&
          a.map_state == IsViewable) {
        result = HasTitle(children[i], argv[2]) ? 0 : 1;
        break;
      }
    }
    XFree(children);
    return result;
  }
  if (command == "cursor-hidden") {
    int event = 0, error = 0;
    if (!XFixesQueryExtension(x, &event, &error)) {
      return 2;
    }
    XFixesCursorImage *cursor = XFixesGetCursorImage(x);
    if (cursor == nullptr) {
      return 2;
    }
    bool blank = true;
    for (int i = 0; i < cursor->width * cursor->height; ++i) {
      blank = blank && (cursor->pixels[i] >> 24) == 0;
    }
    XFree(cursor);
    return blank ? 0 : 1;
  }
  return Usage();
}
