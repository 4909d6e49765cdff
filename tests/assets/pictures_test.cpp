// The committed bitmaps: the exact resource layout the frame drawing relies
// on, distinct colour tables, and frames that fill their disc with
// near-white outside it.

#include <gtest/gtest.h>

#include <algorithm>

#include "shipped_bitmaps.h"

namespace {

using shipped::Bitmap;

TEST(ShippedBitmaps, HaveTheExactResourceLayout) {
  for (const Bitmap &b : shipped::LoadAll()) {
    SCOPED_TRACE(b.name);
    const bool frame = shipped::IsFrame(b.name);
    const std::uint32_t side = frame ? 200 : 640;
    const std::uint32_t rows = frame ? 200 : 480;
    ASSERT_EQ(b.ResourceSize(), frame ? 41064u : 308264u);
    // File header: "BM", file size, pixels right after the colour table.
    EXPECT_EQ(b.file[0], 'B');
    EXPECT_EQ(b.file[1], 'M');
    const std::uint32_t fileSize = b.file[2] | b.file[3] << 8 |
                                   b.file[4] << 16 |
                                   static_cast<std::uint32_t>(b.file[5]) << 24;
    EXPECT_EQ(fileSize, b.file.size());
    EXPECT_EQ(b.file[10] | b.file[11] << 8, 1078);

    const std::uint32_t ppm = b.name.rfind("BLOOD", 0) == 0 ? 2755
                              : b.name.rfind("PUS", 0) == 0 ? 2874
                                                            : 3740;
    EXPECT_EQ(b.Field32(0), 40u);
    EXPECT_EQ(b.Field32(4), side);
    EXPECT_EQ(b.Field32(8), rows); // positive: bottom row stored first
    EXPECT_EQ(b.Field16(12), 1);
    EXPECT_EQ(b.Field16(14), 8);
    EXPECT_EQ(b.Field32(16), 0u);
    EXPECT_EQ(b.Field32(20), side * rows);
    EXPECT_EQ(b.Field32(24), ppm);
    EXPECT_EQ(b.Field32(28), ppm);
    EXPECT_EQ(b.Field32(32), 0u);
    EXPECT_EQ(b.Field32(36), 0u);
    // 40 + 1024 + pixels: the pixels start at the fixed offset 1064.
    EXPECT_EQ(1064 + b.Field32(20), b.ResourceSize());
    for (std::size_t i = 0; i < 256; ++i)
      EXPECT_EQ(b.Resource()[40 + 4 * i + 3], 0) << "entry " << i;
  }
}

TEST(ShippedBitmaps, EachHasAColourTableOfItsOwn) {
  const std::vector<Bitmap> all = shipped::LoadAll();
  for (const Bitmap &b : all)
    ASSERT_GE(b.ResourceSize(), 1064u) << b.name;
  for (std::size_t i = 0; i < all.size(); ++i)
    for (std::size_t j = i + 1; j < all.size(); ++j)
      EXPECT_FALSE(std::equal(all[i].Resource() + 40, all[i].Resource() + 1064,
                              all[j].Resource() + 40))
          << all[i].name << " and " << all[j].name;
}

// Distance of pixel (x, y)'s centre from the frame's centre.
double FromCentre(int x, int y) {
  return std::hypot(x + 0.5 - 100, y + 0.5 - 100);
}

TEST(ShippedFrames, FillTheDiscAndAreNearWhiteOutsideIt) {
  for (const Bitmap &b : shipped::LoadAll()) {
    if (!shipped::IsFrame(b.name))
      continue;
    SCOPED_TRACE(b.name);
    ASSERT_EQ(b.ResourceSize(), 41064u);
    int whiteOutside = 0, outside = 0, paleInside = 0;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x) {
        const auto c = b.Rgb(x, y);
        const bool nearWhite = c[0] >= 254 && c[1] >= 254 && c[2] >= 254;
        const double d = FromCentre(x, y);
        if (d >= 100) {
          ++outside;
          whiteOutside += nearWhite;
        } else if (d < 99) {
          paleInside += nearWhite;
        }
      }
    EXPECT_EQ(whiteOutside, outside);
    // The corners make up about a fifth of the square.
    EXPECT_NEAR(outside, 40000 - 31416, 400);
    // A glint may touch white, but the sphere itself is never background.
    EXPECT_LT(paleInside, 40);
  }
}

TEST(ShippedFrames, AreStoredBottomRowFirstAndColouredByMode) {
  for (const Bitmap &b : shipped::LoadAll()) {
    if (!shipped::IsFrame(b.name))
      continue;
    SCOPED_TRACE(b.name);
    ASSERT_EQ(b.ResourceSize(), 41064u);
    // The light comes from the upper left, so the upper half of the sphere
    // as seen on screen is brighter than the lower half.
    double upper = 0, lower = 0, red = 0, green = 0, blue = 0;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x) {
        if (FromCentre(x, y) >= 99)
          continue;
        const auto c = b.Rgb(x, y);
        (y < 100 ? upper : lower) += c[0] + c[1] + c[2];
        red += c[0];
        green += c[1];
        blue += c[2];
      }
    EXPECT_GT(upper, lower * 1.15);
    if (b.name.rfind("BLOOD", 0) == 0) {
      EXPECT_GT(red, 1.6 * green);
      EXPECT_GT(red, 1.6 * blue);
    } else {
      EXPECT_GT(red, 1.5 * blue);
      EXPECT_GT(green, 1.3 * blue);
    }
  }
}

// Mean brightness and saturation of the frame pixels whose centres lie
// between radii `inner` and `outer`, or of a whole backdrop.
struct Tone {
  double red = 0, green = 0, blue = 0, brightness = 0, saturation = 0;
};

Tone Measure(const Bitmap &b, double inner = 0, double outer = 1e9,
             bool litQuarterOnly = false) {
  Tone t;
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const double d = shipped::IsFrame(b.name) ? FromCentre(x, y) : 0;
      if (d < inner || d >= outer || (litQuarterOnly && (x >= 100 || y >= 100)))
        continue;
      const auto c = b.Rgb(x, y);
      const int hi = std::max({c[0], c[1], c[2]});
      const int lo = std::min({c[0], c[1], c[2]});
      t.red += c[0];
      t.green += c[1];
      t.blue += c[2];
      t.brightness += (c[0] + c[1] + c[2]) / 3.0;
      t.saturation += hi > 0 ? (hi - lo) / static_cast<double>(hi) : 0;
      ++n;
    }
  if (n > 0)
    for (double *v : {&t.red, &t.green, &t.blue, &t.brightness, &t.saturation})
      *v /= n;
  return t;
}

TEST(ShippedPictures, ShowTheStagesOfEachMode) {
  for (const char *mode : {"BLOOD", "PUS"}) {
    SCOPED_TRACE(mode);
    std::vector<Bitmap> stage{Bitmap{}};
    for (int i = 1; i <= 5; ++i) {
      stage.push_back(shipped::Load(mode + std::to_string(i)));
      ASSERT_EQ(stage.back().ResourceSize(), 41064u) << i;
    }
    // Swollen: paler (and, for pus, whiter) than the first two stages.
    const Tone first = Measure(stage[1], 0, 99);
    const Tone swollen = Measure(stage[3], 0, 99);
    EXPECT_GT(swollen.brightness, first.brightness + 20);
    EXPECT_GT(swollen.brightness, Measure(stage[2], 0, 99).brightness + 20);
    EXPECT_LT(swollen.saturation, first.saturation - 0.1);
    // Splitting: a dark splash opens in the middle of the pale sphere.
    EXPECT_LT(Measure(stage[4], 0, 15).brightness,
              Measure(stage[3], 0, 15).brightness - 40);
    // Burst: the splash fills the disc, the pale rim stays at the border
    // (seen on its lit side, away from the shading of the sphere's edge).
    const Tone rim = Measure(stage[5], 91, 97, true);
    const Tone splash = Measure(stage[5], 0, 70);
    EXPECT_GT(rim.brightness, splash.brightness + 40);
    EXPECT_LT(rim.saturation, splash.saturation - 0.05);
  }
}

TEST(ShippedPictures, BackdropsAreRedFleshAndYellowGlass) {
  const Tone flesh = Measure(shipped::Load("SPLASH1"));
  EXPECT_GT(flesh.red, 2 * flesh.green);
  EXPECT_GT(flesh.red, 2 * flesh.blue);
  const Tone glass = Measure(shipped::Load("SPLASH2"));
  EXPECT_GT(glass.red, 1.6 * glass.blue);
  EXPECT_GT(glass.green, 1.5 * glass.blue);
  EXPECT_NEAR(glass.red, glass.green, 0.2 * glass.red);
}

} // namespace
