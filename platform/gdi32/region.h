// Regions as y-x banded rectangle lists, built and combined the way GDI
// does it so that the rectangle lists (what GetRegionData shows) come out
// the same, rectangle for rectangle.
#pragma once

#include <optional>
#include <vector>

#include "winapi.h"

namespace platform::detail {

struct Region {
  // Sorted by top, then left; rectangles of one band share top and bottom.
  std::vector<RECT> rects;
  RECT extents{0, 0, 0, 0};

  int Type() const; // NULLREGION, SIMPLEREGION or COMPLEXREGION
  bool Contains(int x, int y) const;
};

// Longest side of an elliptic region; larger boxes are refused (the rows
// are stored one by one and the arithmetic must stay within 64 bits).
constexpr long long kMaxEllipseSide = 1 << 18;

Region RectRegion(int left, int top, int right, int bottom);
// The ellipse inscribed in the box, right and bottom edges excluded. Empty
// for a box of zero width or height; nullopt when the box is too large.
std::optional<Region> EllipseRegion(int left, int top, int right, int bottom);

Region UnionRegions(const Region &a, const Region &b);
// a = a OR b, the same rectangles as UnionRegions, reusing a's storage.
void UniteInto(Region &a, const Region &b);
Region IntersectRegions(const Region &a, const Region &b);
Region SubtractRegions(const Region &a, const Region &b);
Region XorRegions(const Region &a, const Region &b);

} // namespace platform::detail
