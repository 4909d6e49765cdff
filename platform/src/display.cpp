// The screen of the backend in use, as the layer and its controls see it.
#include "display.h"

#include "backend.h"
#include "layer.h"

namespace platform::detail {
Display &TheDisplay() { return TheBackend().Screen(); }
int DisplayBitsPerPixel() { return TheDisplay().bitsPerPixel; }
RECT PrimaryMonitor(const Display &display) {
  return display.monitors.empty() ? RECT{display.originX, display.originY,
                                         display.originX + display.width,
                                         display.originY + display.height}
                                  : display.monitors.front();
}
} // namespace platform::detail

namespace platform {

int DisplayWidth() { return detail::TheDisplay().width; }
int DisplayHeight() { return detail::TheDisplay().height; }
const uint32_t *DisplayPixels() { return detail::TheDisplay().pixels.data(); }

POINT DisplayOrigin() {
  const detail::Display &d = detail::TheDisplay();
  return POINT{d.originX, d.originY};
}

uint32_t DisplayPixel(int x, int y) {
  const detail::Display &d = detail::TheDisplay();
  // In 64 bits: no screen position can overflow the shift to the origin.
  const long long fx = static_cast<long long>(x) - d.originX;
  const long long fy = static_cast<long long>(y) - d.originY;
  if (fx < 0 || fy < 0 || fx >= d.width || fy >= d.height) {
    return 0;
  }
  x = static_cast<int>(fx);
  y = static_cast<int>(fy);
  return d
      .pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(d.width) +
              static_cast<std::size_t>(x)];
}

} // namespace platform
