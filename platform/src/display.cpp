// The screen of the backend in use, as the layer and its controls see it.
#include "display.h"

#include "backend.h"
#include "layer.h"

namespace platform::detail {
Display &TheDisplay() { return TheBackend().Screen(); }
int DisplayBitsPerPixel() { return TheDisplay().bitsPerPixel; }
} // namespace platform::detail

namespace platform {

int DisplayWidth() { return detail::TheDisplay().width; }
int DisplayHeight() { return detail::TheDisplay().height; }
const uint32_t *DisplayPixels() { return detail::TheDisplay().pixels.data(); }

uint32_t DisplayPixel(int x, int y) {
  const detail::Display &d = detail::TheDisplay();
  if (x < 0 || y < 0 || x >= d.width || y >= d.height) {
    return 0;
  }
  return d
      .pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(d.width) +
              static_cast<std::size_t>(x)];
}

} // namespace platform
