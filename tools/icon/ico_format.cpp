#include "ico_format.h"

#include <cstring>
#include <string>

namespace icon {

const Rgb standardColours[16] = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

namespace {

constexpr int kTransparent = -1;

// Palette index of a legend character, kTransparent for '.'.
int ColourOf(char c) {
  switch (c) {
  case '.':
    return kTransparent;
  case 'r':
    return 1; // dark red
  case 'R':
    return 9; // red
  case 'W':
    return 15; // white
  default:
    throw std::invalid_argument(std::string("unknown icon pixel '") + c + "'");
  }
}

void Put16(std::vector<std::uint8_t> &out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t> &out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

} // namespace

std::vector<std::uint8_t> EncodeIconImage(const Art &art) {
  const int size = art.size;
  if (size != 16 && size != 32)
    throw std::invalid_argument("icon size must be 16 or 32");
  for (int y = 0; y < size; ++y)
    if (art.rows[y] == nullptr ||
        std::strlen(art.rows[y]) != static_cast<std::size_t>(size))
      throw std::invalid_argument("icon row " + std::to_string(y) +
                                  " has the wrong length");

  const auto n = static_cast<std::uint32_t>(size);
  const std::uint32_t colourRow = n / 2;             // 4 bits per pixel
  const std::uint32_t maskRow = (n / 8 + 3) / 4 * 4; // padded to 4 bytes
  std::vector<std::uint8_t> out;
  Put32(out, 40);
  Put32(out, n);
  Put32(out, 2 * n); // colour image and mask
  Put16(out, 1);     // planes
  Put16(out, 4);     // bits per pixel
  Put32(out, 0);     // no compression
  Put32(out, (colourRow + maskRow) * n);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0); // all 16 colours
  Put32(out, 0);
  for (const Rgb &c : standardColours) {
    out.push_back(c.blue);
    out.push_back(c.green);
    out.push_back(c.red);
    out.push_back(0);
  }

  std::vector<std::uint8_t> mask;
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> maskBits(maskRow, 0);
    for (int x = 0; x < size; x += 2) {
      int left = ColourOf(art.rows[y][x]);
      int right = ColourOf(art.rows[y][x + 1]);
      // Transparent pixels are black under a set mask bit.
      out.push_back(
          static_cast<std::uint8_t>((left == kTransparent ? 0 : left) << 4 |
                                    (right == kTransparent ? 0 : right)));
      if (left == kTransparent)
        maskBits[static_cast<std::size_t>(x / 8)] |=
            static_cast<std::uint8_t>(0x80 >> (x % 8));
      if (right == kTransparent)
        maskBits[static_cast<std::size_t>(x / 8)] |=
            static_cast<std::uint8_t>(0x80 >> ((x + 1) % 8));
    }
    mask.insert(mask.end(), maskBits.begin(), maskBits.end());
  }
  out.insert(out.end(), mask.begin(), mask.end());
  return out;
}

std::vector<std::uint8_t> EncodeIconFile(const std::vector<Art> &images) {
  std::vector<std::vector<std::uint8_t>> encoded;
  for (const Art &art : images)
    encoded.push_back(EncodeIconImage(art));

  std::vector<std::uint8_t> out;
  Put16(out, 0); // reserved
  Put16(out, 1); // icon
  Put16(out, static_cast<unsigned>(images.size()));
  auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const auto size = static_cast<std::uint8_t>(images[i].size);
    out.insert(out.end(), {size, size, 16, 0});
    Put16(out, 1); // planes
    Put16(out, 4); // bits per pixel
    const auto bytes = static_cast<std::uint32_t>(encoded[i].size());
    Put32(out, bytes);
    Put32(out, offset);
    offset += bytes;
  }
  for (const auto &image : encoded)
    out.insert(out.end(), image.begin(), image.end());
  return out;
}

} // namespace icon
