// The nearest-pixel mapping of stretched copies.
#include <gtest/gtest.h>

#include <vector>

#include "stretch_map.h"

using platform::detail::Axis;
using platform::detail::StretchSource;

namespace {

// GDI's stepping stretcher, one pixel at a time: an error term decides
// when the shorter axis moves on. Shrinking rows writes every source
// column over the last, while whole rows are taken only once.
std::vector<int> Stepped(int src, int dst, Axis axis) {
  std::vector<int> out(static_cast<std::size_t>(dst), -1);
  if (src > dst) {
    int err = 3 * dst - 2 * src;
    int d = 0;
    bool fresh = true;
    for (int s = 0; s < src && d < dst; ++s) {
      if (axis == Axis::Horizontal || fresh) {
        out[static_cast<std::size_t>(d)] = s;
      }
      fresh = false;
      if (err > 0) {
        ++d;
        fresh = true;
        err += 2 * dst - 2 * src;
      } else {
        err += 2 * dst;
      }
    }
  } else {
    int err = 3 * src - 2 * dst;
    int s = 0;
    for (int d = 0; d < dst; ++d) {
      out[static_cast<std::size_t>(d)] = s;
      if (err > 0) {
        ++s;
        err += 2 * src - 2 * dst;
      } else {
        err += 2 * src;
      }
    }
  }
  return out;
}

std::vector<int> ClosedForm(int src, int dst, Axis axis) {
  std::vector<int> out;
  for (int d = 0; d < dst; ++d) {
    out.push_back(static_cast<int>(StretchSource(d, src, dst, axis)));
  }
  return out;
}

} // namespace

TEST(StretchMapping, ShrinkingKeepsLastColumnAndFirstRowOfEachGroup) {
  EXPECT_EQ(ClosedForm(10, 2, Axis::Horizontal), (std::vector<int>{4, 9}));
  EXPECT_EQ(ClosedForm(10, 2, Axis::Vertical), (std::vector<int>{0, 5}));
  // A single column stops one short of the last source column.
  EXPECT_EQ(StretchSource(0, 640, 1, Axis::Horizontal), 638);
  EXPECT_EQ(StretchSource(0, 2, 1, Axis::Horizontal), 0);
  EXPECT_EQ(StretchSource(0, 640, 1, Axis::Vertical), 0);
}

TEST(StretchMapping, ClosedFormFollowsTheSteppingStretcher) {
  for (Axis axis : {Axis::Horizontal, Axis::Vertical}) {
    for (int src = 1; src <= 90; ++src) {
      for (int dst = 2; dst <= 90; ++dst) {
        ASSERT_EQ(ClosedForm(src, dst, axis), Stepped(src, dst, axis))
            << src << " -> " << dst;
      }
    }
  }
  // The sizes the saver uses on a 4K screen.
  for (auto [src, dst] :
       {std::pair{640, 3840}, {480, 2160}, {200, 104}, {200, 2}, {640, 613}}) {
    for (Axis axis : {Axis::Horizontal, Axis::Vertical}) {
      EXPECT_EQ(ClosedForm(src, dst, axis), Stepped(src, dst, axis));
    }
  }
}
