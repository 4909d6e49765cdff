// Our elliptic regions against the ones Wine 8 built for the same boxes
// (tests/data/wine/regions.txt): the same GetRgnBox result and box and the
// same GetRegionData rectangles in the same order. Two Wine faults stay out
// of the comparison:
// - A box of zero width or height: Wine builds a one-pixel-thick rectangle
//   beside it (0x0 gives the pixel at -1,-1). Ours is empty, as the ellipse
//   inscribed in such a box is.
// - A box w wide and h tall with w >= 3 and h >= max(4, 2w^2 - 8w + 9):
//   Wine's row walk stops once it has passed half the width and the rows it
//   never reached hold whatever was in memory. The dump writes those boxes as
//   "undefined"; the bound was found from the recorded rows.
#include <gtest/gtest.h>

#include <sstream>

#include "reference_data.h"
#include "region_text.h"
#include "winapi.h"

namespace {

TEST(WineRegions, SameRectanglesTypeAndBoxAsWine) {
  int compared = 0;
  int zeroSized = 0;
  int differing = 0;
  std::string report;
  for (const std::string &line : RecordedLines("regions.txt")) {
    std::istringstream in(line);
    std::string tag;
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_TRUE(in >> tag >> left >> top >> right >> bottom && tag == "rgn")
        << line.substr(0, 80);
    const std::string boxText =
        line.substr(0, static_cast<std::size_t>(in.tellg()));
    std::string wine = line.substr(boxText.size());
    if (wine == " undefined") {
      continue;
    }
    if (left == right || top == bottom) {
      ++zeroSized;
      wine = " 1 0 0 0 0 0"; // NULLREGION, no rectangles
    } else {
      ++compared;
    }
    HRGN region = CreateEllipticRgn(left, top, right, bottom);
    const std::string ours = region ? RegionText(region) : " failed";
    DeleteObject(region);
    if (ours != wine && ++differing <= 8) {
      ReportDifference(boxText + wine, boxText + ours, report);
    }
  }
  EXPECT_GT(compared, 2900);
  EXPECT_EQ(zeroSized, 81); // the 0xN and Nx0 boxes at the origin
  EXPECT_EQ(differing, 0) << "first differences:\n" << report;
}

} // namespace
