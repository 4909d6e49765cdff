// The committed BMP files behind the twelve bitmap resources. Each file is
// a 14-byte file header followed by exactly the resource data.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace shipped {

inline constexpr std::size_t kFileHeader = 14;

struct Bitmap {
  std::string name;
  std::vector<std::uint8_t> file;

  // The resource data: what the program finds under the bitmap's name.
  const std::uint8_t *Resource() const { return file.data() + kFileHeader; }
  std::size_t ResourceSize() const {
    return file.size() < kFileHeader ? 0 : file.size() - kFileHeader;
  }
  std::uint32_t Field32(std::size_t at) const {
    const std::uint8_t *p = Resource() + at;
    return p[0] | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 |
           static_cast<std::uint32_t>(p[3]) << 24;
  }
  std::uint16_t Field16(std::size_t at) const {
    const std::uint8_t *p = Resource() + at;
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
  }
  int Width() const { return static_cast<int>(Field32(4)); }
  int Height() const { return static_cast<int>(Field32(8)); }
  // Colour of picture pixel (x, y), y = 0 being the top row on screen.
  std::array<int, 3> Rgb(int x, int y) const {
    const std::size_t row = static_cast<std::size_t>(Height() - 1 - y);
    const std::uint8_t index =
        Resource()[1064 + row * static_cast<std::size_t>(Width()) +
                   static_cast<std::size_t>(x)];
    const std::uint8_t *entry = Resource() + 40 + 4 * index;
    return {entry[2], entry[1], entry[0]};
  }
};

inline const std::array<const char *, 12> kNames = {
    "SPLASH1", "SPLASH2", "BLOOD1", "BLOOD2", "BLOOD3", "BLOOD4",
    "BLOOD5",  "PUS1",    "PUS2",   "PUS3",   "PUS4",   "PUS5"};

inline Bitmap Load(const std::string &name) {
  std::ifstream in(std::string(GUSHMIRE_BITMAP_DIR) + "/" + name + ".bmp",
                   std::ios::binary);
  return {name, std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>())};
}

inline std::vector<Bitmap> LoadAll() {
  std::vector<Bitmap> all;
  for (const char *name : kNames)
    all.push_back(Load(name));
  return all;
}

inline bool IsFrame(const std::string &name) {
  return name.rfind("SPLASH", 0) != 0;
}

} // namespace shipped
