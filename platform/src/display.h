// The screen a backend supplies: its size, depth and the 32-bit framebuffer
// that window DCs draw into.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::detail {

struct Display {
  int width = 640;
  int height = 480;
  int bitsPerPixel = 32;
  std::vector<uint32_t> pixels =
      std::vector<uint32_t>(static_cast<std::size_t>(640 * 480), 0u);
};
// The screen of the backend in use.
Display &TheDisplay();

// Largest side of any screen.
constexpr int kMaxDisplaySide = 16384;

} // namespace platform::detail
