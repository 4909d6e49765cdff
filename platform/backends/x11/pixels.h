// Pixels of X images: packing our 0x00RRGGBB colours into the channels of a
// TrueColor visual and back, and reading and writing single pixels of an
// XImage in whatever layout the server chose. Needs no connection.
#pragma once

#include <bit>
#include <cstdint>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace platform::detail::x11 {

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
  uint32_t Put(uint32_t value) const;
  // Back from a pixel to 8 bits, repeating the top bits into the low ones.
  uint32_t Get(unsigned long pixel) const;
};

// The image's bytes are in this machine's order.
bool MachineOrder(const XImage *image);
// Direct access for 8, 16 and 32 bits per pixel in the machine's order;
// XGetPixel/XPutPixel (a call per pixel, far slower) for the rest.
unsigned long ReadPixel(XImage *image, int column, int row);
// `line` is the start of the pixel's row in image->data.
void WritePixel(XImage *image, char *line, int column, uint32_t pixel);

} // namespace platform::detail::x11
