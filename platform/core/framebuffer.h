// The framebuffer a backend supplies: its size, depth and the 32-bit pixels
// that window DCs draw into.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "winapi.h"

namespace platform::detail {

// The framebuffer covers the virtual screen, the box around every monitor.
// Screen coordinates put the primary monitor's corner at (0, 0), so a
// monitor left of or above it makes the framebuffer's first pixel sit at a
// negative screen position, its origin.
struct Framebuffer {
  Framebuffer() { Allocate(static_cast<std::size_t>(640 * 480)); }
  ~Framebuffer() { Free(); }
  // `pixels` may point into the framebuffer itself: no copies.
  Framebuffer(const Framebuffer &) = delete;
  Framebuffer &operator=(const Framebuffer &) = delete;

  int width = 640;
  int height = 480;
  int bitsPerPixel = 32;
  // width * height pixels, row after row from the top-left corner: memory
  // of the framebuffer's own (Allocate), or memory a backend lends it (the
  // Wayland buffer being drawn, which saves a copy of the screen).
  std::span<uint32_t> pixels;
  int originX = 0;
  int originY = 0;
  // In screen coordinates, the primary first; empty: one monitor showing
  // the whole framebuffer.
  std::vector<RECT> monitors;

  // Own memory for `count` pixels, all 0, in place of what was there. Its
  // pages are taken only as they are first written, so a backend that soon
  // lends other memory never holds two screens. Throws std::bad_alloc
  // when there is no memory, as a vector would.
  void Allocate(std::size_t count);
  // Shows `memory` as the pixels and frees the own memory. The lender keeps
  // `memory` alive until it lends other memory or calls Allocate.
  void Lend(std::span<uint32_t> memory);
  // Whether the pixels are the framebuffer's own.
  bool Owned() const { return own != nullptr || pixels.empty(); }

private:
  void Free();
  void *own = nullptr; // mapped, `ownBytes` long
  std::size_t ownBytes = 0;
};
// The framebuffer of the backend in use.
Framebuffer &TheFramebuffer();
// The primary monitor's area, in screen coordinates.
RECT PrimaryMonitor(const Framebuffer &framebuffer);

// Largest side of any framebuffer.
constexpr int kMaxFramebufferSide = 16384;

} // namespace platform::detail
