// The framebuffer and the X windows that show it: one strip image of the
// screen's width (in shared memory where the server shares it with us,
// MIT-SHM, else sent with XPutImage) carries every copy out to a window and
// every desktop picture read back in.
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "backends/x11/x11.h"
// After the layer's headers, as in x11.h.
#include <X11/Xatom.h>

namespace platform::detail::x11 {

// A strip of about 1 MiB: big enough for a few calls per frame, small
// enough to keep the process's memory near the framebuffer's own.
void X11::SetupImages() {
  const int bytesPerRow = framebuffer.width * 4;
  stripRows =
      std::clamp((1 << 20) / std::max(1, bytesPerRow), 1, framebuffer.height);
  if (XShmQueryExtension(x)) {
    strip = XShmCreateImage(x, visual, static_cast<unsigned>(depth), ZPixmap,
                            nullptr, &segment,
                            static_cast<unsigned>(framebuffer.width),
                            static_cast<unsigned>(stripRows));
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
                         nullptr, static_cast<unsigned>(framebuffer.width),
                         static_cast<unsigned>(stripRows), 32, 0);
    strip->data = static_cast<char *>(
        std::calloc(static_cast<std::size_t>(strip->bytes_per_line),
                    static_cast<std::size_t>(stripRows)));
  }
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

// Fills the framebuffer's `area` with what `from` shows there (the root, or
// a preview's foreign parent at its top left), before our window covers it:
// the saver draws over the picture as it was, as on Windows, where its
// background is never erased.
void X11::GrabPicture(Window from, const RECT &area) {
  const RECT part =
      Intersect(area, RECT{0, 0, framebuffer.width, framebuffer.height});
  if (Empty(part)) {
    return;
  }
  const int width = part.right - part.left;
  // The root is read where our monitor shows it.
  int dx = from == root ? offset.x : 0;
  int dy = from == root ? offset.y : 0;
  Drawable source = Screenshot(from, part, &dx, &dy);
  if (source == 0) {
    source = from;
  }
  const auto unreadable = [&] {
    if (from == root) {
      std::fprintf(stderr, "gushmire: the desktop picture cannot be read "
                           "here (Xwayland?): starting from black\n");
    }
  };
  // Xwayland answers XGetImage on its root with BadMatch, yet MIT-SHM
  // "reads" it as black without an error: one plain pixel tells which.
  Trap();
  XImage *probe = XGetImage(x, source, part.left + dx, part.top + dy, 1, 1,
                            AllPlanes, ZPixmap);
  const bool readable = Untrap() && probe != nullptr;
  if (probe != nullptr) {
    XDestroyImage(probe);
  }
  if (!readable) {
    unreadable();
    return;
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
      // An unmapped window has no picture, and under Xwayland the root
      // has none (BadMatch): all black then, never half a picture.
      for (int row = part.top; row < top; ++row) {
        std::fill_n(framebuffer.pixels.data() +
                        static_cast<std::size_t>(row) * framebuffer.width +
                        part.left,
                    width, 0u);
      }
      unreadable();
      return;
    }
    for (int row = 0; row < rows; ++row) {
      uint32_t *out = framebuffer.pixels.data() +
                      static_cast<std::size_t>(top + row) * framebuffer.width +
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
  for (const auto &[window, peer] : peers) {
    if (peer.mapped) {
      PresentTo(peer, area);
    }
  }
  XFlush(x);
}

// Copies the framebuffer's `area` (screen coordinates) into the X window
// that shows it, one strip at a time.
void X11::PresentTo(const Peer &peer, const RECT &area) {
  const POINT origin{peer.area.left, peer.area.top};
  const RECT part =
      Intersect(Intersect(area, peer.area),
                RECT{0, 0, framebuffer.width, framebuffer.height});
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
      const uint32_t *in =
          framebuffer.pixels.data() +
          static_cast<std::size_t>(top + row) * framebuffer.width + part.left;
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
      XShmPutImage(x, peer.id, gc, strip, 0, 0, toX, toY,
                   static_cast<unsigned>(width), static_cast<unsigned>(rows),
                   False);
      sharedBusy = true;
    } else {
      XPutImage(x, peer.id, gc, strip, 0, 0, toX, toY,
                static_cast<unsigned>(width), static_cast<unsigned>(rows));
    }
  }
}

} // namespace platform::detail::x11
