// Our elliptic regions against the ones Wine 8 built for the same boxes
// (tests/data/wine/regions.txt). Two Wine faults stay out of the comparison:
// - A box of zero width or height: Wine builds a one-pixel-thick rectangle
//   beside it (0x0 gives the pixel at -1,-1). Ours is empty, as the ellipse
//   inscribed in such a box is.
// - A box w wide and h tall with w >= 3 and h >= max(4, 2w^2 - 8w + 9):
//   Wine's row walk stops once it has passed half the width and the rows it
//   never reached hold whatever was in memory. The dump writes those boxes as
//   "undefined"; the bound was found from the recorded rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "reference_data.h"
#include "region_rows.h"
#include "winapi.h"

namespace {

using wine_reference::RegionRecord;

wine_reference::RegionData BuildOurs(const RegionRecord &r) {
  HRGN region = CreateEllipticRgn(r.left, r.top, r.right, r.bottom);
  if (!region) {
    return {};
  }
  const auto data = region_rows::Read(region);
  DeleteObject(region);
  return data;
}

std::string Box(const RegionRecord &r) {
  std::ostringstream out;
  out << "box (" << r.left << ", " << r.top << ", " << r.right << ", "
      << r.bottom << ")";
  return out.str();
}

bool Comparable(const RegionRecord &r) {
  return !r.undefined && r.Width() > 0 && r.Height() > 0;
}

class WineRegions : public ::testing::Test {
protected:
  static void SetUpTestSuite() { records = wine_reference::LoadRegions(); }
  static std::vector<RegionRecord> records;
};
std::vector<RegionRecord> WineRegions::records;

TEST_F(WineRegions, CoverTheSamePixels) {
  int compared = 0;
  int differing = 0;
  std::string report;
  for (const RegionRecord &r : records) {
    if (!Comparable(r)) {
      continue;
    }
    ++compared;
    const auto wine = region_rows::Covered(r.rects);
    const auto ours = region_rows::Covered(BuildOurs(r).rects);
    if (wine != ours && ++differing <= 12) {
      report +=
          Box(r) + " " + region_rows::FirstDifferentRow(wine, ours) + "\n";
    }
  }
  EXPECT_GT(compared, 2900);
  EXPECT_EQ(differing, 0) << "first differences:\n" << report;
}

TEST_F(WineRegions, ReportTheSameRectanglesTypeAndBox) {
  int differing = 0;
  std::string report;
  for (const RegionRecord &r : records) {
    if (!Comparable(r)) {
      continue;
    }
    const std::string difference = region_rows::ListDifference(r, BuildOurs(r));
    if (!difference.empty() && ++differing <= 12) {
      report += Box(r) + ": " + difference + "\n";
    }
  }
  EXPECT_EQ(differing, 0) << "first differences:\n" << report;
}

TEST_F(WineRegions, ZeroWidthOrHeightIsEmptyWhereWineDrawsAStrip) {
  int seen = 0;
  for (const RegionRecord &r : records) {
    if (r.Width() != 0 && r.Height() != 0) {
      continue;
    }
    ++seen;
    const auto ours = BuildOurs(r);
    EXPECT_EQ(ours.type, NULLREGION) << Box(r);
    EXPECT_TRUE(ours.rects.empty()) << Box(r);
    // The recorded fault: one rectangle, one pixel thick, unless the other
    // side is 1 (then Wine's rectangle is empty too).
    if (std::max(r.Width(), r.Height()) != 1) {
      ASSERT_EQ(r.rects.size(), 1u) << Box(r);
      const RECT &strip = r.rects[0];
      EXPECT_EQ(std::min(strip.right - strip.left, strip.bottom - strip.top), 1)
          << Box(r);
    }
  }
  EXPECT_EQ(seen, 81); // the 0xN and Nx0 boxes at the origin
}

TEST_F(WineRegions, BoxesWineLeavesUnsetStillGiveAWholeEllipse) {
  int seen = 0;
  for (const RegionRecord &r : records) {
    if (!r.undefined) {
      continue;
    }
    ++seen;
    const auto rows = region_rows::Covered(BuildOurs(r).rects);
    ASSERT_FALSE(rows.empty()) << Box(r);
    const int left = std::min(r.left, r.right);
    const int right = std::max(r.left, r.right);
    const int top = rows.begin()->first;
    const int bottom = rows.rbegin()->first;
    EXPECT_GE(top, std::min(r.top, r.bottom)) << Box(r);
    EXPECT_LT(bottom, std::max(r.top, r.bottom)) << Box(r);
    EXPECT_EQ(static_cast<int>(rows.size()), bottom - top + 1)
        << Box(r) << " has gaps";
    // One span a row, inside the box, mirrored top to bottom and growing
    // towards the middle.
    for (const auto &[y, spans] : rows) {
      ASSERT_EQ(spans.size(), 1u) << Box(r) << " row " << y;
      EXPECT_GE(spans[0].first, left) << Box(r) << " row " << y;
      EXPECT_LE(spans[0].second, right) << Box(r) << " row " << y;
      const auto mirror = rows.find(top + bottom - y);
      ASSERT_NE(mirror, rows.end()) << Box(r) << " row " << y;
      EXPECT_EQ(mirror->second, spans) << Box(r) << " row " << y;
      if (y < (top + bottom) / 2) {
        const auto &next = rows.at(y + 1)[0];
        EXPECT_LE(next.first, spans[0].first) << Box(r) << " row " << y;
        EXPECT_GE(next.second, spans[0].second) << Box(r) << " row " << y;
      }
    }
  }
  EXPECT_GT(seen, 100);
}

} // namespace
