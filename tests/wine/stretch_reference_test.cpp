// Our StretchBlt in COLORONCOLOR mode against the source columns and rows
// that Wine 8 showed for the same copies (tests/data/wine/stretches.txt),
// pixel for pixel on the headless display, drawn through a window's DC the
// way the saver draws.
#include <gtest/gtest.h>

#include <sstream>

#include "headless_window.h"
#include "layer.h"
#include "reference_data.h"
#include "stretch_pattern.h"

namespace {

using stretch_pattern::Pass;
using wine_reference::StretchRecord;

constexpr uint32_t kUntouched = 0x00FF00FF;

std::string Describe(const StretchRecord &s) {
  std::ostringstream out;
  out << s.srcW << "x" << s.srcH << " -> " << s.dstW << "x" << s.dstH << " at ("
      << s.dstX << ", " << s.dstY << ") on " << s.surfW << "x" << s.surfH;
  return out.str();
}

// The colour Wine showed at display pixel (x, y) for this pass.
uint32_t Expected(const StretchRecord &s, Pass pass, int x, int y) {
  const int dx = x - s.dstX;
  const int dy = y - s.dstY;
  if (dx < 0 || dy < 0 || dx >= s.dstW || dy >= s.dstH) {
    return kUntouched;
  }
  const int col = s.cols[static_cast<std::size_t>(dx)];
  const int row = s.rows[static_cast<std::size_t>(dy)];
  return stretch_pattern::IndexColour(
      stretch_pattern::EncodedIndex(pass, col, row));
}

// Draws every pass of one record; returns the first difference, or "".
std::string FirstDifference(const StretchRecord &s) {
  const std::vector<uint32_t> blank(static_cast<std::size_t>(s.surfW) *
                                        static_cast<std::size_t>(s.surfH),
                                    kUntouched);
  HeadlessWindow window(s.surfW, s.surfH, kUntouched);
  HDC dc = window.Dc();
  if (!dc) {
    return "no window DC";
  }
  std::string difference;
  int passNumber = 0;
  for (Pass pass : stretch_pattern::kPasses) {
    ++passNumber;
    platform::SetDisplayPicture(blank.data());
    const auto picture = stretch_pattern::MakePicture(s.srcW, s.srcH, pass);
    if (!stretch_pattern::StretchPicture(dc, picture, s.srcW, s.srcH, s.dstX,
                                         s.dstY, s.dstW, s.dstH)) {
      difference = "StretchBlt failed";
      break;
    }
    const uint32_t *pixels = platform::DisplayPixels();
    for (int y = 0; y < s.surfH && difference.empty(); ++y) {
      const uint32_t *row = pixels + static_cast<std::size_t>(y) *
                                         static_cast<std::size_t>(s.surfW);
      for (int x = 0; x < s.surfW; ++x) {
        const uint32_t want = Expected(s, pass, x, y);
        if (row[x] != want) {
          std::ostringstream out;
          out << "pass " << passNumber << " pixel (" << x << ", " << y
              << "): Wine 0x" << std::hex << want << " ours 0x" << row[x]
              << std::dec << " (Wine shows source index byte "
              << ((want >> 16) & 255) << ", ours " << ((row[x] >> 16) & 255)
              << ")";
          difference = out.str();
          break;
        }
      }
    }
    if (!difference.empty()) {
      break;
    }
  }
  return difference;
}

TEST(WineStretches, SamePixelsAsWine) {
  const auto records = wine_reference::LoadStretches();
  ASSERT_GT(records.size(), 200u);
  const std::size_t liveBefore = platform::LiveObjectCount();
  int differing = 0;
  std::string report;
  for (const StretchRecord &s : records) {
    ASSERT_TRUE(s.ok) << "Wine's own copy was not clean: " << Describe(s);
    const std::string difference = FirstDifference(s);
    if (!difference.empty() && ++differing <= 12) {
      report += Describe(s) + ": " + difference + "\n";
    }
  }
  EXPECT_EQ(differing, 0) << "first differences:\n" << report;
  EXPECT_EQ(platform::LiveObjectCount(), liveBefore);
}

} // namespace
