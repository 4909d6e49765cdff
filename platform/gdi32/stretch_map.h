// Which source pixel a stretched copy takes for each destination pixel:
// the nearest-pixel (COLORONCOLOR) mapping as GDI's line-stepping
// stretcher produces it, in closed form so that any clipped part can be
// computed on its own.
#pragma once

#include <cstdint>

namespace platform::detail {

enum class Axis { Horizontal, Vertical };

// Source offset (0 .. srcLength-1) for destination offset d
// (0 .. dstLength-1); both lengths positive. When shrinking, a row keeps
// the last source column of each group that falls on one destination
// column, while whole rows keep the first source row of their group.
inline int64_t StretchSource(int64_t d, int64_t srcLength, int64_t dstLength,
                             Axis axis) {
  const int64_t s = srcLength;
  const int64_t n = dstLength;
  if (s > n) {
    if (axis == Axis::Horizontal) {
      // A single destination column stops one source column short: the
      // stepper's end point is clipped back past the last column.
      if (n == 1) {
        return s - 2;
      }
      return (2 * s * (d + 1) - n) / (2 * n);
    }
    return (2 * s * d + n) / (2 * n);
  }
  return ((2 * d + 1) * s - 1) / (2 * n);
}

} // namespace platform::detail
