// Encodes pictures as 16-colour icon images and .ico files, in the layout
// the resource compiler copies verbatim into icon resources.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "icon_art.h"

namespace icon {

// The system's standard 16 colours in palette order, as red, green, blue.
struct Rgb {
  std::uint8_t red, green, blue;
};
extern const Rgb standardColours[16];

// One icon image: a 40-byte BITMAPINFOHEADER with doubled height, the
// 16-entry colour table, 4-bit colour pixels and the 1-bit AND mask, both
// bottom row first. Throws std::invalid_argument for a size other than 16 or
// 32, a row of the wrong length or a character outside the legend.
std::vector<std::uint8_t> EncodeIconImage(const Art &art);

// An .ico file holding the given images, in order.
std::vector<std::uint8_t> EncodeIconFile(const std::vector<Art> &images);

} // namespace icon
