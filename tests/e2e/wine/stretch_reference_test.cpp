// Our StretchBlt in COLORONCOLOR mode against the source columns and rows
// that Wine 8 showed for the same copies (tests/data/wine/stretches.txt),
// measured the same way on the headless display through the saver window's
// DC. Wine's lines are all "ok", so equal lines mean equal pixels.
#include <gtest/gtest.h>

#include <sstream>

#include "layer_headless.h"
#include "reference_data.h"
#include "saver_session.h"
#include "stretch_pattern.h"

namespace {

TEST(WineStretches, SamePixelsAsWine) {
  const auto lines = RecordedLines("stretches.txt");
  ASSERT_GT(lines.size(), 200u);
  const std::size_t liveBefore = platform::LiveObjectCount();
  int differing = 0;
  std::string report;
  for (const std::string &wine : lines) {
    std::istringstream in(wine);
    std::string tag, status;
    stretch_pattern::Case c{};
    ASSERT_TRUE(in >> tag >> c.srcW >> c.srcH >> c.dstX >> c.dstY >> c.dstW >>
                    c.dstH >> c.surfW >> c.surfH >> status &&
                tag == "stretch" && status == "ok")
        << "Wine's copy was not clean: " << wine.substr(0, 80);
    const std::vector<uint32_t> blank(static_cast<std::size_t>(c.surfW) *
                                          static_cast<std::size_t>(c.surfH),
                                      stretch_pattern::kUntouched);
    HWND window = OpenSaverSurface(c.surfW, c.surfH, nullptr);
    HDC dc = window ? GetDC(window) : nullptr;
    SetStretchBltMode(dc, COLORONCOLOR);
    const std::string ours = stretch_pattern::MeasureLine(
        dc, dc != nullptr, c,
        [&] { platform::SetDisplayPicture(blank.data()); },
        [] { return platform::FramebufferPixels(); });
    ReleaseDC(window, dc);
    CloseSaverSurface(window);
    if (ours != wine && ++differing <= 8) {
      ReportDifference(wine, ours, report);
    }
  }
  EXPECT_EQ(differing, 0) << "first differences:\n" << report;
  EXPECT_EQ(platform::LiveObjectCount(), liveBefore);
}

} // namespace
