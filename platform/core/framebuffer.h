// The framebuffer a backend supplies: its size, depth and the 32-bit pixels
// that window DCs draw into.
#pragma once

#include <cstdint>
#include <vector>

#include "winapi.h"

namespace platform::detail {

// The framebuffer covers the virtual screen, the box around every monitor.
// Screen coordinates put the primary monitor's corner at (0, 0), so a
// monitor left of or above it makes the framebuffer's first pixel sit at a
// negative screen position, its origin.
struct Framebuffer {
  int width = 640;
  int height = 480;
  int bitsPerPixel = 32;
  std::vector<uint32_t> pixels =
      std::vector<uint32_t>(static_cast<std::size_t>(640 * 480), 0u);
  int originX = 0;
  int originY = 0;
  // In screen coordinates, the primary first; empty: one monitor showing
  // the whole framebuffer.
  std::vector<RECT> monitors;
};
// The framebuffer of the backend in use.
Framebuffer &TheFramebuffer();
// The primary monitor's area, in screen coordinates.
RECT PrimaryMonitor(const Framebuffer &framebuffer);

// Largest side of any framebuffer.
constexpr int kMaxFramebufferSide = 16384;

} // namespace platform::detail
