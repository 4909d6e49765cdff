// paletteTable: one 256-colour palette serving all twelve pictures on 8-bit
// displays, and the C++ source that carries it into the program.
#pragma once

#include <string>
#include <vector>

#include "bmp.h"

namespace pictures {

struct PaletteReport {
  double maxDistance = 0;
  double meanDistance = 0;
  int idleEntries = 0; // entries that are nobody's nearest match
};

PaletteReport Measure(const Table &palette,
                      const std::vector<Bitmap8> &pictures);

// Builds the palette from the finished pictures, weighted by pixel count,
// with entries 0, 1 and 255 fixed. Throws if the result misses its targets.
Table BuildPaletteTable(const std::vector<Bitmap8> &pictures);

// The generated source defining `paletteTable` (blue, green, red).
std::string PaletteSource(const Table &palette);

} // namespace pictures
