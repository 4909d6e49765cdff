#include "display.h"

#include <algorithm>
#include <cstring>

#include "gdi_objects.h"
#include "layer.h"

namespace platform::detail {
Display &TheDisplay() {
  static Display display;
  return display;
}
int DisplayBitsPerPixel() { return TheDisplay().bitsPerPixel; }
} // namespace platform::detail

namespace platform {

using detail::TheDisplay;

void OpenHeadlessDisplay(int width, int height, uint32_t fill) {
  detail::Display &d = TheDisplay();
  d.width = std::clamp(width, 0, detail::kMaxDisplaySide);
  d.height = std::clamp(height, 0, detail::kMaxDisplaySide);
  d.pixels.assign(static_cast<std::size_t>(d.width) *
                      static_cast<std::size_t>(d.height),
                  fill & 0x00FFFFFFu);
  detail::ResetSystemPalette();
}

void SetDisplayPicture(const uint32_t *pixels) {
  detail::Display &d = TheDisplay();
  if (pixels != nullptr && !d.pixels.empty()) {
    std::memcpy(d.pixels.data(), pixels, d.pixels.size() * sizeof(uint32_t));
  }
}

void SetDisplayBitsPerPixel(int bits) {
  if (bits == 8 || bits == 16 || bits == 24 || bits == 32) {
    TheDisplay().bitsPerPixel = bits;
    detail::ResetSystemPalette();
  }
}

int DisplayWidth() { return TheDisplay().width; }
int DisplayHeight() { return TheDisplay().height; }
const uint32_t *DisplayPixels() { return TheDisplay().pixels.data(); }

uint32_t DisplayPixel(int x, int y) {
  const detail::Display &d = TheDisplay();
  if (x < 0 || y < 0 || x >= d.width || y >= d.height) {
    return 0;
  }
  return d
      .pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(d.width) +
              static_cast<std::size_t>(x)];
}

} // namespace platform
