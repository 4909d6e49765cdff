// The committed BMP files behind the twelve bitmap resources: a 14-byte file
// header, then exactly the resource data (header, 256 colours, pixels).
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace shipped {

struct Bitmap {
  std::string name;
  std::vector<std::uint8_t> file;

  // Little-endian field of `bytes` bytes at file offset `at`.
  std::uint32_t At(std::size_t at, int bytes) const {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
      v = v << 8 | file.at(at + static_cast<std::size_t>(i));
    return v;
  }
  int Width() const { return static_cast<int>(At(18, 4)); }
  int Height() const { return static_cast<int>(At(22, 4)); }
  // 8-bit, bottom row first, and as long as its header says.
  bool Complete() const {
    return file.size() > 54 && At(28, 2) == 8 && Width() > 0 && Height() > 0 &&
           Width() <= 4096 && Height() <= 4096 &&
           file.size() == 1078 + static_cast<std::size_t>(Width() * Height());
  }
  // Colour of picture pixel (x, y), y = 0 being the top row on screen.
  std::array<int, 3> Rgb(int x, int y) const {
    const auto at = static_cast<std::size_t>((Height() - 1 - y) * Width() + x);
    const std::uint8_t *entry = file.data() + 54 + 4 * file[1078 + at];
    return {entry[2], entry[1], entry[0]};
  }
  bool Is(const char *prefix) const { return name.rfind(prefix, 0) == 0; }
};

inline Bitmap Load(const std::string &name) {
  std::ifstream in(std::string(GUSHMIRE_BITMAP_DIR) + "/" + name + ".bmp",
                   std::ios::binary);
  return {name, std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>())};
}

inline std::vector<Bitmap> LoadAll() {
  std::vector<Bitmap> all;
  for (const char *name :
       {"SPLASH1", "SPLASH2", "BLOOD1", "BLOOD2", "BLOOD3", "BLOOD4", "BLOOD5",
        "PUS1", "PUS2", "PUS3", "PUS4", "PUS5"})
    all.push_back(Load(name));
  return all;
}

} // namespace shipped
