// Reads the reference data recorded under Wine (tests/data/wine/).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "winapi.h"

namespace wine_reference {

// A region as GetRgnBox and GetRegionData report it.
struct RegionData {
  int type = 0; // GetRgnBox result
  RECT box{};   // GetRgnBox rectangle
  std::vector<RECT> rects;
};

struct RegionRecord : RegionData {
  int left = 0, top = 0, right = 0, bottom = 0; // as passed
  bool undefined = false; // Wine left rows of this box unset

  int Width() const { return right > left ? right - left : left - right; }
  int Height() const { return bottom > top ? bottom - top : top - bottom; }
};

struct StretchRecord {
  int srcW = 0, srcH = 0, dstX = 0, dstY = 0, dstW = 0, dstH = 0;
  int surfW = 0, surfH = 0;
  bool ok = false;
  std::vector<int> cols; // source column per destination column, -1 off
  std::vector<int> rows; // source row per destination row, -1 off
};

// Ellipses united into a DC's clip region, then pictures drawn through it.
struct ClipRecord {
  std::vector<RECT> boxes; // the first selected, the others united
  RegionData clip;         // GetClipRgn afterwards
  uint32_t hash = 0;       // of the 640x480 target after drawing
};

// All fail the calling test (and return nothing) when the file is missing
// or a line does not parse.
std::vector<RegionRecord> LoadRegions();
std::vector<StretchRecord> LoadStretches();
std::vector<ClipRecord> LoadClips();

} // namespace wine_reference
