// The headless display that plays the screen.
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
Display &TheDisplay();

// Largest side of the headless display.
constexpr int kMaxDisplaySide = 16384;

} // namespace platform::detail
