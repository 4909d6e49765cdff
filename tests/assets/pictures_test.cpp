// The committed bitmaps: the exact resource layout the frame drawing relies
// on, distinct colour tables, and frames that fill their disc with
// near-white outside it.

#include <gtest/gtest.h>

#include <algorithm>

#include "shipped_bitmaps.h"

namespace {

using shipped::Bitmap;

TEST(ShippedBitmaps, HaveTheExactLayoutAndColourTablesOfTheirOwn) {
  const std::vector<Bitmap> all = shipped::LoadAll();
  for (const Bitmap &b : all) {
    SCOPED_TRACE(b.name);
    const bool backdrop = b.Is("SPLASH");
    const std::uint32_t w = backdrop ? 640 : 200, h = backdrop ? 480 : 200;
    const std::uint32_t ppm = backdrop ? 3740 : b.Is("BLOOD") ? 2755 : 2874;
    ASSERT_EQ(b.file.size(), 1078 + w * h);
    // {file offset, bytes, value}; rows positive: bottom row stored first.
    const std::uint32_t fields[][3] = {{0, 2, 0x4D42}, {2, 4, 1078 + w * h},
                                       {10, 4, 1078},  {14, 4, 40},
                                       {18, 4, w},     {22, 4, h},
                                       {26, 2, 1},     {28, 2, 8},
                                       {30, 4, 0},     {34, 4, w * h},
                                       {38, 4, ppm},   {42, 4, ppm},
                                       {46, 4, 0},     {50, 4, 0}};
    for (const auto &f : fields)
      EXPECT_EQ(b.At(f[0], static_cast<int>(f[1])), f[2]) << "at " << f[0];
    for (std::size_t i = 0; i < 256; ++i)
      EXPECT_EQ(b.file[54 + 4 * i + 3], 0) << "colour " << i;
  }
  for (std::size_t i = 0; i < all.size(); ++i)
    for (std::size_t j = i + 1; j < all.size(); ++j)
      EXPECT_FALSE(std::equal(all[i].file.begin() + 54,
                              all[i].file.begin() + 1078,
                              all[j].file.begin() + 54))
          << all[i].name << " and " << all[j].name;
}

TEST(ShippedFrames, FillTheDiscLitFromAboveInTheirModesColours) {
  for (const Bitmap &b : shipped::LoadAll()) {
    if (b.Is("SPLASH"))
      continue;
    SCOPED_TRACE(b.name);
    ASSERT_TRUE(b.Complete());
    int whiteOutside = 0, outside = 0, paleInside = 0;
    double upper = 0, lower = 0;
    std::array<double, 3> sum{};
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x) {
        const auto c = b.Rgb(x, y);
        const bool nearWhite = c[0] >= 254 && c[1] >= 254 && c[2] >= 254;
        const double d = std::hypot(x + 0.5 - 100, y + 0.5 - 100);
        if (d >= 100) {
          ++outside;
          whiteOutside += nearWhite;
        } else if (d < 99) {
          paleInside += nearWhite;
          (y < 100 ? upper : lower) += c[0] + c[1] + c[2];
          for (std::size_t k = 0; k < 3; ++k)
            sum[k] += c[k];
        }
      }
    EXPECT_EQ(whiteOutside, outside);
    EXPECT_NEAR(outside, 40000 - 31416, 400); // the corners outside the disc
    EXPECT_LT(paleInside, 40); // a glint may touch white, the sphere not
    // Upside-down rows would put the light below.
    EXPECT_GT(upper, lower * 1.15);
    if (b.Is("BLOOD")) {
      EXPECT_GT(sum[0], 1.6 * std::max(sum[1], sum[2]));
    } else { // yellow
      EXPECT_GT(sum[0], 1.5 * sum[2]);
      EXPECT_GT(sum[1], 1.3 * sum[2]);
    }
  }
}

} // namespace
