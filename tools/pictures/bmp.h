// 8-bit BMP files as the resource compiler takes them: a 14-byte file
// header, then exactly the resource layout (40-byte header, 256-entry
// colour table, pixels bottom row first).
#pragma once

#include <string>
#include <vector>

#include "quantize.h"

namespace pictures {

struct Bitmap8 {
  int width = 0;
  int height = 0;
  int pixelsPerMetre = 0;
  Table table{};
  std::vector<uint8_t> indices; // row 0 on top
};

std::vector<uint8_t> EncodeBmp(const Bitmap8 &bitmap);
bool WriteFile(const std::string &path, const std::vector<uint8_t> &bytes);
bool WriteFile(const std::string &path, const std::string &text);

// Reads a file written by EncodeBmp; false if it is not one.
bool ReadBmp(const std::string &path, Bitmap8 &out);

} // namespace pictures
