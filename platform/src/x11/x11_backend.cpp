// The X11 backend: our windows become X windows on a real display. The
// generic layer keeps drawing into one screen-sized framebuffer; this backend
// copies the parts that changed into the X windows that show them (MIT-SHM
// where the server shares memory with us, XPutImage otherwise), turns X input
// into the layer's hardware input, and answers for windows of other
// processes by their X ids. No X header is seen outside this folder.
#include <fcntl.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

#include "backend.h"
#include "layer.h"
#include "window.h"
#include "x11_keys.h"
// After our headers: Xlib's macros (DisplayWidth, None...) would clash.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

namespace platform::detail {
namespace {

// Exit code of a process whose display went away under it.
constexpr int kDisplayLostExit = 1;

// Errors of requests on windows that may vanish at any time (foreign
// windows, our children of them) are expected: record, never exit.
int lastXError = 0;
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

// SIGTERM and SIGINT end a preview as its parent's destruction would: the
// handler only sets the flag and wakes Wait through the pipe.
volatile std::sig_atomic_t stopRequested = 0;
int wakePipe[2] = {-1, -1};
void OnStopSignal(int) {
  stopRequested = 1;
  const char byte = 0;
  const ssize_t written = write(wakePipe[1], &byte, 1);
  static_cast<void>(written);
}
#ifdef GUSHMIRE_HAVE_IO_ERROR_EXIT_HANDLER
void OnIoErrorExit(::Display *, void *) { DisplayLost(); }
#endif

uint64_t MonotonicMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<uint64_t>(t.tv_sec) * 1000u +
         static_cast<uint64_t>(t.tv_nsec) / 1000000u;
}

void AdviseHugePages(void *memory, std::size_t bytes) {
  constexpr uintptr_t kHuge = 2u << 20;
  const auto begin =
      (reinterpret_cast<uintptr_t>(memory) + kHuge - 1) & ~(kHuge - 1);
  const auto end = (reinterpret_cast<uintptr_t>(memory) + bytes) & ~(kHuge - 1);
  if (end > begin) {
    madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
  }
}

RECT Intersect(const RECT &a, const RECT &b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top),
              std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}
bool Empty(const RECT &r) { return r.left >= r.right || r.top >= r.bottom; }

// One colour channel of a TrueColor visual: where it sits and how wide.
struct Channel {
  int shift = 0;
  int bits = 0;
  explicit Channel(unsigned long mask = 0) {
    if (mask != 0) {
      shift = std::countr_zero(mask);
      bits = std::popcount(mask);
    }
  }
  // An 8-bit value to its place in a pixel.
  uint32_t Put(uint32_t value) const {
    if (bits == 0) {
      return 0;
    }
    value = bits <= 8 ? value >> (8 - bits) : value << (bits - 8);
    return value << shift;
  }
  // Back from a pixel to 8 bits, repeating the top bits into the low ones.
  uint32_t Get(unsigned long pixel) const {
    if (bits == 0) {
      return 0;
    }
    const auto value = static_cast<uint32_t>(pixel >> shift) &
                       static_cast<uint32_t>((1ull << bits) - 1);
    if (bits >= 8) {
      return value >> (bits - 8);
    }
    uint32_t out = value << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits) {
      out |= out >> bits;
    }
    return out & 0xFFu;
  }
};

// Pixel access for the usual image layouts, XGetPixel/XPutPixel (a call
// per pixel, far slower) for the rest.
bool NativeOrder(const XImage *image) {
  return image->byte_order ==
         (std::endian::native == std::endian::little ? LSBFirst : MSBFirst);
}
unsigned long ReadPixel(XImage *image, int column, int row) {
  const char *line =
      image->data + static_cast<std::ptrdiff_t>(row) * image->bytes_per_line;
  if (NativeOrder(image)) {
    switch (image->bits_per_pixel) {
    case 32: {
      uint32_t value = 0;
      std::memcpy(&value, line + column * 4, 4);
      return value;
    }
    case 16: {
      uint16_t value = 0;
      std::memcpy(&value, line + column * 2, 2);
      return value;
    }
    case 8:
      return static_cast<unsigned char>(line[column]);
    default:
      break;
    }
  }
  return XGetPixel(image, column, row);
}
void WritePixel(XImage *image, char *line, int column, uint32_t pixel) {
  if (NativeOrder(image)) {
    switch (image->bits_per_pixel) {
    case 32:
      std::memcpy(line + column * 4, &pixel, 4);
      return;
    case 16: {
      const auto value = static_cast<uint16_t>(pixel);
      std::memcpy(line + column * 2, &value, 2);
      return;
    }
    case 8:
      line[column] = static_cast<char>(pixel);
      return;
    default:
      break;
    }
  }
  const auto row =
      static_cast<int>((line - image->data) / image->bytes_per_line);
  XPutPixel(image, column, row, pixel);
}

struct Native {
  Window id = 0;
  uintptr_t foreignParent = 0; // the foreign window it sits in, if any
  bool mapped = false;
};

class X11 final : public Backend {
public:
  bool Open(const char *name);
  uintptr_t Root() const { return root; }

  Display &Screen() override { return screen; }
  void Present(const RECT &area) override;

  void CreateNative(uintptr_t window, uintptr_t parent, const RECT &area,
                    bool topmost) override;
  void ShowNative(uintptr_t window, bool shown) override;
  void RaiseNative(uintptr_t window) override;
  void DestroyNative(uintptr_t window) override;
  void ManageDialog(uintptr_t window, uintptr_t transientFor) override;
  uintptr_t ForeignForeground() override;

  bool ForeignExists(uintptr_t id) override;
  bool ForeignClientSize(uintptr_t id, int *width, int *height) override;
  uintptr_t FindForeign(const char *className, const char *title) override;
  bool ActivateForeign(uintptr_t id) override;

  uint64_t Now() override { return MonotonicMs() - start; }
  DWORD TickCount() override { return static_cast<DWORD>(MonotonicMs()); }
  void Poll() override;
  void Wait(std::optional<uint64_t> deadline) override;

  POINT CursorPosition() override;
  void ShowCursor(bool shown) override;

  void SetScreenSaverRunning(bool running) override;
  bool ScreenSaverRunning() override { return running; }
  void SystemPaletteChanged(const std::vector<uint32_t> &palette) override;

  void Reset() override {
    SetScreenSaverRunning(false);
    ShowCursor(true);
  }

private:
  // Starts trapping X errors of the requests that follow.
  void Trap() {
    XSync(x, False);
    lastXError = 0;
  }
  // True when the requests since Trap() all went through.
  bool Untrap() {
    XSync(x, False);
    return lastXError == 0;
  }
  // A FindForeign that found nothing keeps the server grabbed until this
  // process has shown a top-level window of its own or waits: two saver
  // starts that look for each other and then each make a window cannot
  // both miss.
  void ReleaseServer() {
    if (serverHeld) {
      serverHeld = false;
      XUngrabServer(x);
      XFlush(x);
    }
  }
  bool serverHeld = false;
  void Handle(XEvent &event);
  void PresentTo(uintptr_t window, const Native &native, const RECT &area);
  void GrabPicture(Window from, const RECT &area);
  XID IdProperty(Window from, const char *name, Atom type);
  Drawable Screenshot(Window from, const RECT &part, int *dx, int *dy);
  void EndPreviewsIfStopped();
  void SetupImages();
  void BuildColourLookup();
  uint32_t PixelOf(uint32_t rgb) const;
  uint32_t RgbOf(unsigned long pixel) const;
  const Native *NativeById(Window id, uintptr_t *window) const;
  bool Viewable(Window id);

  ::Display *x = nullptr;
  int screenNumber = 0;
  Window root = 0;
  Visual *visual = nullptr;
  int depth = 0;
  bool pseudoColour = false;
  bool plainRgb = false; // pixels are our 0x00RRGGBB values as they are
  Channel red, green, blue;
  Colormap colormap = 0;               // what our windows show through
  Colormap ownColormap = 0;            // made from a realized palette at 8 bits
  std::array<uint32_t, 256> colours{}; // the colormap at 8 bits, 0x00RRGGBB
  std::vector<uint8_t> nearest;        // 15-bit colour to colormap index
  GC gc = nullptr;
  Cursor blank = 0;
  bool cursorHidden = false;
  bool running = false;
  POINT lastCursor{0, 0};

  // One strip of the screen's width, reused for every copy in or out.
  XImage *strip = nullptr;
  int stripRows = 0;
  bool shared = false;
  bool sharedBusy = false; // the server may still read the segment
  XShmSegmentInfo segment{};

  Display screen;
  std::map<uintptr_t, Native> natives;
  std::vector<uintptr_t> parentsGone; // foreign parents found dead on creation
  uint64_t start = MonotonicMs();
};

X11 &backend() {
  static X11 instance;
  return instance;
}

bool X11::Open(const char *name) {
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
  // Pixels are colormap indices; deeper visuals are taken by their masks.
  pseudoColour =
      depth <= 8 &&
      (visual->c_class == PseudoColor || visual->c_class == StaticColor ||
       visual->c_class == GrayScale || visual->c_class == StaticGray);
  red = Channel(visual->red_mask);
  green = Channel(visual->green_mask);
  blue = Channel(visual->blue_mask);
  if (pseudoColour) {
    const int entries = std::min(256, visual->map_entries);
    std::array<XColor, 256> cells{};
    for (int i = 0; i < entries; ++i) {
      cells[static_cast<std::size_t>(i)].pixel = static_cast<unsigned long>(i);
    }
    XQueryColors(x, colormap, cells.data(), entries);
    for (int i = 0; i < entries; ++i) {
      const XColor &c = cells[static_cast<std::size_t>(i)];
      colours[static_cast<std::size_t>(i)] = static_cast<uint32_t>(
          (c.red >> 8) << 16 | (c.green >> 8) << 8 | (c.blue >> 8));
    }
    BuildColourLookup();
  }

  screen.width = std::clamp(XDisplayWidth(x, screenNumber), 1, kMaxDisplaySide);
  screen.height =
      std::clamp(XDisplayHeight(x, screenNumber), 1, kMaxDisplaySide);
  screen.bitsPerPixel = depth <= 8 ? 8 : depth <= 16 ? 16 : 32;
  const std::size_t count = static_cast<std::size_t>(screen.width) *
                            static_cast<std::size_t>(screen.height);
  // Touching a 4K screen's 33 MB a 4 KiB page at a time costs hundreds of
  // milliseconds before the first frame; huge pages take a tenth of that.
  screen.pixels.clear();
  screen.pixels.shrink_to_fit();
  screen.pixels.reserve(count);
  AdviseHugePages(screen.pixels.data(), count * sizeof(uint32_t));
  screen.pixels.assign(count, 0u);
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
             strip->bits_per_pixel == 32 && NativeOrder(strip);
  start = MonotonicMs();
  return true;
}

// A strip of about 1 MiB: big enough for a few calls per frame, small
// enough to keep the process's memory near the framebuffer's own.
void X11::SetupImages() {
  const int bytesPerRow = screen.width * 4;
  stripRows =
      std::clamp((1 << 20) / std::max(1, bytesPerRow), 1, screen.height);
  if (XShmQueryExtension(x)) {
    strip = XShmCreateImage(
        x, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &segment,
        static_cast<unsigned>(screen.width), static_cast<unsigned>(stripRows));
  }
  if (strip != nullptr) {
    const auto bytes = static_cast<std::size_t>(strip->bytes_per_line) *
                       static_cast<std::size_t>(stripRows);
    segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void *memory = segment.shmid < 0 ? reinterpret_cast<void *>(-1)
                                     : shmat(segment.shmid, nullptr, 0);
    if (memory != reinterpret_cast<void *>(-1)) {
      segment.shmaddr = strip->data = static_cast<char *>(memory);
      segment.readOnly = False;
      // A server on another machine refuses the attach.
      Trap();
      XShmAttach(x, &segment);
      shared = Untrap();
    }
    if (segment.shmid >= 0) {
      // Marked for removal now: the segment goes when both sides detach,
      // however this process ends.
      shmctl(segment.shmid, IPC_RMID, nullptr);
    }
    if (!shared) {
      if (memory != reinterpret_cast<void *>(-1)) {
        shmdt(memory);
      }
      strip->data = nullptr;
      XDestroyImage(strip);
      strip = nullptr;
    }
  }
  if (strip == nullptr) {
    strip = XCreateImage(x, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                         nullptr, static_cast<unsigned>(screen.width),
                         static_cast<unsigned>(stripRows), 32, 0);
    strip->data = static_cast<char *>(
        std::calloc(static_cast<std::size_t>(strip->bytes_per_line),
                    static_cast<std::size_t>(stripRows)));
  }
}

void X11::BuildColourLookup() {
  nearest.assign(1u << 15, 0);
  for (uint32_t key = 0; key < (1u << 15); ++key) {
    const int r = static_cast<int>((key >> 10) << 3 | 4);
    const int g = static_cast<int>(((key >> 5) & 31) << 3 | 4);
    const int b = static_cast<int>((key & 31) << 3 | 4);
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
      const uint32_t c = colours[static_cast<std::size_t>(i)];
      const int dr = static_cast<int>(c >> 16) - r;
      const int dg = static_cast<int>((c >> 8) & 0xFF) - g;
      const int db = static_cast<int>(c & 0xFF) - b;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = i;
      }
    }
    nearest[key] = static_cast<uint8_t>(best);
  }
}

uint32_t X11::PixelOf(uint32_t rgb) const {
  if (pseudoColour) {
    return nearest[(rgb >> 9 & 0x7C00) | (rgb >> 6 & 0x3E0) |
                   (rgb >> 3 & 0x1F)];
  }
  return red.Put(rgb >> 16 & 0xFF) | green.Put(rgb >> 8 & 0xFF) |
         blue.Put(rgb & 0xFF);
}

uint32_t X11::RgbOf(unsigned long pixel) const {
  if (pseudoColour) {
    return colours[pixel & 0xFF];
  }
  return red.Get(pixel) << 16 | green.Get(pixel) << 8 | blue.Get(pixel);
}

const Native *X11::NativeById(Window id, uintptr_t *window) const {
  for (const auto &[handle, native] : natives) {
    if (native.id == id) {
      *window = handle;
      return &native;
    }
  }
  return nullptr;
}

bool X11::Viewable(Window id) {
  XWindowAttributes attributes{};
  Trap();
  const Status got = XGetWindowAttributes(x, id, &attributes);
  return Untrap() && got != 0 && attributes.map_state == IsViewable;
}

// Fills the framebuffer's `area` with what `from` shows there (the root, or
// a preview's foreign parent at its top left), before our window covers it:
// the saver draws over the picture as it was, as on Windows, where its
// background is never erased.
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

// XScreenSaver leaves a picture of the desktop, taken before it blanked the
// screen, as a pixmap in the _SCREENSAVER_SCREENSHOT property of the window
// it gives its hack. It may cover the whole screen: the window's own part is
// at the window's position on the root. 0 when there is none that fits.
Drawable X11::Screenshot(Window from, const RECT &part, int *dx, int *dy) {
  if (from == root) {
    return 0;
  }
  Trap();
  const Pixmap pixmap = IdProperty(from, "_SCREENSAVER_SCREENSHOT", XA_PIXMAP);
  Window shotRoot = 0, child = 0;
  int shotX = 0, shotY = 0, rootX = 0, rootY = 0;
  unsigned width = 0, height = 0, border = 0, shotDepth = 0;
  const bool fits =
      pixmap != 0 &&
      XGetGeometry(x, pixmap, &shotRoot, &shotX, &shotY, &width, &height,
                   &border, &shotDepth) != 0 &&
      static_cast<int>(shotDepth) == depth &&
      XTranslateCoordinates(x, from, root, 0, 0, &rootX, &rootY, &child) != 0;
  if (!Untrap() || !fits) {
    return 0;
  }
  const auto covers = [&](int offsetX, int offsetY) {
    return offsetX >= 0 && offsetY >= 0 &&
           offsetX + part.right <= static_cast<long>(width) &&
           offsetY + part.bottom <= static_cast<long>(height);
  };
  if (covers(rootX, rootY)) {
    *dx = rootX;
    *dy = rootY;
  } else if (!covers(0, 0)) {
    return 0;
  }
  return pixmap;
}

void X11::GrabPicture(Window from, const RECT &area) {
  const RECT part = Intersect(area, RECT{0, 0, screen.width, screen.height});
  if (Empty(part)) {
    return;
  }
  const int width = part.right - part.left;
  int dx = 0, dy = 0;
  Drawable source = Screenshot(from, part, &dx, &dy);
  if (source == 0) {
    source = from;
  }
  for (int top = part.top; top < part.bottom; top += stripRows) {
    const int rows = std::min(stripRows, static_cast<int>(part.bottom) - top);
    XImage *image = nullptr;
    Trap();
    // The server packs a shared image's rows at the width it sends, so only
    // full-width strips go through shared memory.
    if (shared && width == strip->width) {
      sharedBusy = false;
      const int fullHeight = strip->height;
      strip->height = rows;
      if (XShmGetImage(x, source, strip, part.left + dx, top + dy, AllPlanes)) {
        image = strip;
      }
      strip->height = fullHeight;
    } else {
      image = XGetImage(x, source, part.left + dx, top + dy,
                        static_cast<unsigned>(width),
                        static_cast<unsigned>(rows), AllPlanes, ZPixmap);
    }
    if (!Untrap() || image == nullptr) {
      if (image != nullptr && image != strip) {
        XDestroyImage(image);
      }
      return; // an unmapped window has no picture: black stays
    }
    for (int row = 0; row < rows; ++row) {
      uint32_t *out = screen.pixels.data() +
                      static_cast<std::size_t>(top + row) * screen.width +
                      part.left;
      if (plainRgb) {
        std::memcpy(out,
                    image->data + static_cast<std::ptrdiff_t>(row) *
                                      image->bytes_per_line,
                    static_cast<std::size_t>(width) * 4);
        for (int column = 0; column < width; ++column) {
          out[column] &= 0xFFFFFFu; // the unused top byte may hold anything
        }
        continue;
      }
      for (int column = 0; column < width; ++column) {
        out[column] = RgbOf(ReadPixel(image, column, row));
      }
    }
    if (image != strip) {
      XDestroyImage(image);
    }
  }
}

void X11::Present(const RECT &area) {
  for (const auto &[window, native] : natives) {
    if (native.mapped) {
      PresentTo(window, native, area);
    }
  }
  XFlush(x);
}

// Copies the framebuffer's `area` (screen coordinates) into the X window
// that shows it, one strip at a time.
void X11::PresentTo(uintptr_t window, const Native &native, const RECT &area) {
  const WindowObject *w = FindWindowObject(window);
  if (w == nullptr) {
    return;
  }
  const POINT origin = ClientOrigin(*w);
  const RECT shown{origin.x, origin.y, origin.x + w->width,
                   origin.y + w->height};
  const RECT part = Intersect(Intersect(area, shown),
                              RECT{0, 0, screen.width, screen.height});
  if (Empty(part)) {
    return;
  }
  const int width = part.right - part.left;
  for (int top = part.top; top < part.bottom; top += stripRows) {
    const int rows = std::min(stripRows, static_cast<int>(part.bottom) - top);
    if (sharedBusy) {
      XSync(x, False); // the last copy must be read before we overwrite it
      sharedBusy = false;
    }
    for (int row = 0; row < rows; ++row) {
      const uint32_t *in = screen.pixels.data() +
                           static_cast<std::size_t>(top + row) * screen.width +
                           part.left;
      char *line = strip->data +
                   static_cast<std::ptrdiff_t>(row) * strip->bytes_per_line;
      if (plainRgb) {
        std::memcpy(line, in, static_cast<std::size_t>(width) * 4);
      } else {
        for (int column = 0; column < width; ++column) {
          WritePixel(strip, line, column, PixelOf(in[column]));
        }
      }
    }
    const int toX = part.left - origin.x;
    const int toY = top - origin.y;
    if (shared) {
      XShmPutImage(x, native.id, gc, strip, 0, 0, toX, toY,
                   static_cast<unsigned>(width), static_cast<unsigned>(rows),
                   False);
      sharedBusy = true;
    } else {
      XPutImage(x, native.id, gc, strip, 0, 0, toX, toY,
                static_cast<unsigned>(width), static_cast<unsigned>(rows));
    }
  }
}

void X11::CreateNative(uintptr_t window, uintptr_t parent, const RECT &area,
                       bool topmost) {
  if (parent != 0 && IsOurHandle(parent)) {
    return; // drawn by the generic layer inside its parent's X window
  }
  const bool topLevel = parent == 0;
  if (topLevel && topmost) {
    GrabPicture(root, area);
  } else if (!topLevel && ForeignExists(parent)) {
    GrabPicture(static_cast<Window>(parent), area);
  }
  XSetWindowAttributes attributes{};
  // No background: X must not clear what the framebuffer is about to show.
  attributes.background_pixmap = None;
  attributes.border_pixel = 0;
  attributes.colormap = colormap;
  attributes.override_redirect = topLevel && topmost ? True : False;
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
  Trap();
  const Window id = XCreateWindow(
      x, topLevel ? root : static_cast<Window>(parent), area.left, area.top,
      width, height, 0, depth, InputOutput, visual, mask, &attributes);
  if (!topLevel) {
    // We learn of the parent's end through its DestroyNotify.
    XSelectInput(x, static_cast<Window>(parent), StructureNotifyMask);
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
      parentsGone.push_back(parent);
    }
    return;
  }
  natives[window] = Native{id, topLevel ? 0 : parent, false};
}

void X11::ShowNative(uintptr_t window, bool shown) {
  auto found = natives.find(window);
  if (found == natives.end()) {
    return;
  }
  Native &native = found->second;
  if (shown) {
    // Other processes find our windows by class and title (FindWindowA).
    if (const WindowObject *w = FindWindowObject(window)) {
      XStoreName(x, native.id, w->title.c_str());
      std::string className = w->windowClass ? w->windowClass->name : "";
      XClassHint hint{className.data(), className.data()};
      XSetClassHint(x, native.id, &hint);
    }
    Trap();
    XMapRaised(x, native.id);
    native.mapped = Untrap();
    if (native.foreignParent == 0) {
      ReleaseServer();
    }
  } else {
    Trap();
    XUnmapWindow(x, native.id);
    Untrap();
    native.mapped = false;
  }
}

void X11::ManageDialog(uintptr_t window, uintptr_t transientFor) {
  const auto found = natives.find(window);
  const WindowObject *w = FindWindowObject(window);
  if (found == natives.end() || found->second.foreignParent != 0 ||
      w == nullptr) {
    return;
  }
  const Window id = found->second.id;
  // A fixed size, at the place the dialog code chose (centred).
  XSizeHints *hints = XAllocSizeHints();
  if (hints != nullptr) {
    hints->flags = USPosition | PPosition | PMinSize | PMaxSize;
    hints->x = w->x;
    hints->y = w->y;
    hints->min_width = hints->max_width = std::max(1, w->width);
    hints->min_height = hints->max_height = std::max(1, w->height);
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

uintptr_t X11::ForeignForeground() {
  Trap();
  const uintptr_t found = IdProperty(root, "_NET_ACTIVE_WINDOW", XA_WINDOW);
  Untrap();
  uintptr_t ours = 0;
  if (found != 0 && NativeById(static_cast<Window>(found), &ours) != nullptr) {
    return 0; // one of ours: the layer knows its own active window
  }
  return found != 0 && ForeignExists(found) ? found : 0;
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

bool X11::ForeignExists(uintptr_t id) {
  if (id == 0 || id > 0x1FFFFFFFu) {
    return false; // X resource ids fit in 29 bits
  }
  XWindowAttributes attributes{};
  Trap();
  const Status got =
      XGetWindowAttributes(x, static_cast<Window>(id), &attributes);
  return Untrap() && got != 0;
}

bool X11::ForeignClientSize(uintptr_t id, int *width, int *height) {
  if (id == 0 || id > 0x1FFFFFFFu || width == nullptr || height == nullptr) {
    return false;
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
    if (NativeById(candidate, &ours) != nullptr) {
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

void X11::EndPreviewsIfStopped() {
  if (stopRequested == 0) {
    return;
  }
  char drain[64];
  while (read(wakePipe[0], drain, sizeof drain) > 0) {
  }
  std::vector<uintptr_t> parents;
  for (const auto &[window, native] : natives) {
    if (native.foreignParent != 0) {
      parents.push_back(native.foreignParent);
    }
  }
  for (uintptr_t parent : parents) {
    ForeignWindowGone(parent);
  }
}

void X11::Poll() {
  ReleaseServer();
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
  if (!parentsGone.empty() || XPending(x) > 0 || stopRequested != 0) {
    Poll();
    return;
  }
  int timeout = -1;
  if (deadline) {
    const uint64_t now = Now();
    timeout =
        *deadline <= now
            ? 0
            : static_cast<int>(std::min<uint64_t>(*deadline - now, 1u << 30));
  }
  pollfd descriptors[2] = {{XConnectionNumber(x), POLLIN, 0},
                           {wakePipe[0], POLLIN, 0}};
  poll(descriptors, wakePipe[0] >= 0 ? 2 : 1, timeout);
  // Reading the connection also finds out a server that went away.
  Poll();
}

void X11::Handle(XEvent &event) {
  uintptr_t window = 0;
  switch (event.type) {
  case Expose:
    if (const Native *native = NativeById(event.xexpose.window, &window)) {
      const WindowObject *w = FindWindowObject(window);
      if (w != nullptr && native->mapped) {
        const POINT o = ClientOrigin(*w);
        const RECT area{o.x + event.xexpose.x, o.y + event.xexpose.y,
                        o.x + event.xexpose.x + event.xexpose.width,
                        o.y + event.xexpose.y + event.xexpose.height};
        PresentTo(window, *native, area);
      }
    }
    break;
  case MapNotify:
    // Nobody else gives an override-redirect window the keyboard.
    if (NativeById(event.xmap.window, &window) != nullptr &&
        FindWindowObject(window) != nullptr &&
        (FindWindowObject(window)->style & WS_CHILD) == 0) {
      Trap();
      XSetInputFocus(x, event.xmap.window, RevertToPointerRoot, CurrentTime);
      Untrap();
    }
    break;
  case ClientMessage:
    // The window manager's close button.
    if (NativeById(event.xclient.window, &window) != nullptr &&
        event.xclient.format == 32 &&
        static_cast<Atom>(event.xclient.data.l[0]) ==
            XInternAtom(x, "WM_DELETE_WINDOW", False)) {
      PostMessageA(ToHandle<HWND>(window), WM_CLOSE, 0, 0);
    }
    break;
  case DestroyNotify: {
    const Window gone = event.xdestroywindow.window;
    if (NativeById(gone, &window) != nullptr) {
      natives.erase(window); // went with a foreign parent
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
    lastCursor = POINT{event.xbutton.x_root, event.xbutton.y_root};
    static constexpr UINT kButtons[4] = {0, VK_LBUTTON, VK_MBUTTON, VK_RBUTTON};
    if (event.xbutton.button >= 1 && event.xbutton.button <= 3) {
      QueueButton(kButtons[event.xbutton.button], event.type == ButtonPress);
    }
    break;
  }
  case MotionNotify:
    lastCursor = POINT{event.xmotion.x_root, event.xmotion.y_root};
    QueueCursorMove(event.xmotion.x_root, event.xmotion.y_root);
    break;
  default:
    break;
  }
}

// The real pointer, where it is now, as GetCursorPos reads it on Windows.
POINT X11::CursorPosition() {
  Window rootBack = 0, child = 0;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned buttons = 0;
  if (XQueryPointer(x, root, &rootBack, &child, &rootX, &rootY, &winX, &winY,
                    &buttons)) {
    lastCursor = POINT{rootX, rootY};
  }
  return lastCursor;
}

void X11::ShowCursor(bool shown) {
  if (cursorHidden == !shown) {
    return;
  }
  cursorHidden = !shown;
  for (const auto &[window, native] : natives) {
    Trap();
    if (cursorHidden) {
      XDefineCursor(x, native.id, blank);
    } else {
      XUndefineCursor(x, native.id);
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
// grab for a moment (a menu, a drag): retry for up to a second.
void X11::SetScreenSaverRunning(bool on) {
  if (on == running) {
    return;
  }
  running = on;
  if (!on) {
    XUngrabKeyboard(x, CurrentTime);
    XUngrabPointer(x, CurrentTime);
    XFlush(x);
    return;
  }
  bool keyboard = false;
  bool pointer = false;
  for (int attempt = 0; attempt < 20 && !(keyboard && pointer); ++attempt) {
    if (attempt > 0) {
      const timespec pause{0, 50 * 1000 * 1000};
      nanosleep(&pause, nullptr);
    }
    keyboard =
        keyboard || XGrabKeyboard(x, root, True, GrabModeAsync, GrabModeAsync,
                                  CurrentTime) == GrabSuccess;
    pointer =
        pointer ||
        XGrabPointer(x, root, True,
                     ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                     GrabModeAsync, GrabModeAsync, None,
                     cursorHidden ? blank : None, CurrentTime) == GrabSuccess;
  }
  if (!keyboard || !pointer) {
    std::fprintf(stderr, "gushmire: could not grab the %s\n",
                 !keyboard ? "keyboard" : "pointer");
  }
}

// At 8 bits the realized palette becomes the colormap our windows show
// through, so the screen shows the saver's colours exactly.
void X11::SystemPaletteChanged(const std::vector<uint32_t> &palette) {
  if (visual->c_class != PseudoColor) {
    return;
  }
  if (ownColormap == 0) {
    Trap();
    ownColormap = XCreateColormap(x, root, visual, AllocAll);
    if (!Untrap()) {
      ownColormap = 0;
      return;
    }
  }
  std::array<uint32_t, 256> wanted = colours;
  std::copy_n(palette.begin(), std::min<std::size_t>(palette.size(), 256),
              wanted.begin());
  if (wanted == colours && colormap == ownColormap) {
    return; // realized again each step: nothing new to load
  }
  colours = wanted;
  const int cells = std::min(256, visual->map_entries);
  std::vector<XColor> table(static_cast<std::size_t>(cells));
  for (int i = 0; i < cells; ++i) {
    const std::size_t at = static_cast<std::size_t>(i);
    table[at].pixel = static_cast<unsigned long>(i);
    table[at].red = static_cast<unsigned short>((colours[at] >> 16) * 257);
    table[at].green =
        static_cast<unsigned short>(((colours[at] >> 8) & 0xFF) * 257);
    table[at].blue = static_cast<unsigned short>((colours[at] & 0xFF) * 257);
    table[at].flags = DoRed | DoGreen | DoBlue;
  }
  XStoreColors(x, ownColormap, table.data(), cells);
  colormap = ownColormap;
  for (const auto &[window, native] : natives) {
    XSetWindowColormap(x, native.id, colormap);
  }
  // No window manager installs it for us.
  XInstallColormap(x, colormap);
  BuildColourLookup();
  Present(RECT{0, 0, screen.width, screen.height});
}

} // namespace

bool UseX11Display(const char *name) {
  if (!backend().Open(name)) {
    return false;
  }
  UseBackend(&backend());
  return true;
}

uintptr_t X11RootWindow() { return backend().Root(); }

bool EndPreviewOnSignals() {
  if (wakePipe[0] < 0 && pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) {
    return false;
  }
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  return sigaction(SIGTERM, &action, nullptr) == 0 &&
         sigaction(SIGINT, &action, nullptr) == 0;
}

} // namespace platform::detail

namespace platform {
bool OpenX11Display(const char *name) { return detail::UseX11Display(name); }
uintptr_t X11RootWindow() { return detail::X11RootWindow(); }
bool EndPreviewOnSignals() { return detail::EndPreviewOnSignals(); }
} // namespace platform
