// The framebuffer of the backend in use, as the layer and its controls see it.
#include "core/framebuffer.h"

#include <sys/mman.h>

#include <new>

#include "core/backend.h"
#include "layer.h"

namespace platform::detail {

void Framebuffer::Free() {
  if (own != nullptr) {
    munmap(own, ownBytes);
  }
  own = nullptr;
  ownBytes = 0;
  pixels = {};
}

void Framebuffer::Allocate(std::size_t count) {
  Free();
  if (count == 0) {
    return;
  }
  if (count > SIZE_MAX / sizeof(uint32_t)) {
    throw std::bad_alloc();
  }
  // Anonymous pages read as 0 and take memory only once written to.
  const std::size_t bytes = count * sizeof(uint32_t);
  void *memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) {
    throw std::bad_alloc();
  }
  own = memory;
  ownBytes = bytes;
  pixels = std::span<uint32_t>(static_cast<uint32_t *>(memory), count);
}

void Framebuffer::Lend(std::span<uint32_t> memory) {
  Free();
  pixels = memory;
}

Framebuffer &TheFramebuffer() { return TheBackend().Buffer(); }
int FramebufferBitsPerPixel() { return TheFramebuffer().bitsPerPixel; }
RECT PrimaryMonitor(const Framebuffer &f) {
  return f.monitors.empty() ? RECT{f.originX, f.originY, f.originX + f.width,
                                   f.originY + f.height}
                            : f.monitors.front();
}
} // namespace platform::detail

namespace platform {

int FramebufferWidth() { return detail::TheFramebuffer().width; }
int FramebufferHeight() { return detail::TheFramebuffer().height; }
const uint32_t *FramebufferPixels() {
  return detail::TheFramebuffer().pixels.data();
}

POINT FramebufferOrigin() {
  const detail::Framebuffer &d = detail::TheFramebuffer();
  return POINT{d.originX, d.originY};
}

uint32_t FramebufferPixel(int x, int y) {
  const detail::Framebuffer &d = detail::TheFramebuffer();
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
