// Colour quantization: median cut for a start, then weighted k-means with
// some entries pinned to fixed colours.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "image.h"

namespace pictures {

struct Colour8 {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Colour8 &, const Colour8 &) = default;
};

struct Counted {
  Colour8 colour;
  double weight = 0;
};

struct Pinned {
  int index;
  Colour8 colour;
};

using Table = std::array<Colour8, 256>;

Colour8 ToColour8(Rgb c);
int DistanceSquared(Colour8 a, Colour8 b);

// Distinct colours of `pixels` with their counts, in ascending RGB order.
std::vector<Counted> Histogram(const std::vector<Colour8> &pixels);

// Index of the nearest entry; ties go to the lower index.
int Nearest(const Table &table, Colour8 c);

// 256 distinct colours serving `colours`, with the pinned entries fixed,
// every other entry the nearest of at least one colour where the input has
// enough distinct colours. While the entries settle, colours within
// `captureRadius` of a pinned entry are held by it.
Table BuildTable(const std::vector<Counted> &colours,
                 const std::vector<Pinned> &pinned, int captureRadius);

struct Quantized {
  Table table;
  std::vector<uint8_t> indices; // row 0 on top
};

// Quantizes a picture to its own table; pure white is kept exact.
Quantized QuantizePicture(const Image &image);

} // namespace pictures
