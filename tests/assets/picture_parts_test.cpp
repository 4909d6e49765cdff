// Parts of the picture generator whose faults would show as broken art:
// noise seams, splashes that miss their rim, lettering off its mark, the
// fast colour search and paletteTable's loud failure.

#include <gtest/gtest.h>

#include <numbers>
#include <sstream>
#include <stdexcept>

#include "lettering.h"
#include "mathx.h"
#include "noise.h"
#include "palette.h"
#include "splash.h"

namespace {

using namespace pictures;

TEST(Noise, IsRepeatableBoundedAndContinuousAcrossCellsAndSigns) {
  double lowest = 0, highest = 0;
  for (double x = -7.3; x < 7.3; x += 0.0917) {
    const Vec3 p{x, 0.37 * x - 2.1, 1.9 - 0.5 * x};
    const double n = Noise(p, 11);
    EXPECT_EQ(n, Noise(p, 11));
    lowest = std::min(lowest, n);
    highest = std::max(highest, n);
    // A tiny step never jumps, even across cell walls and through zero.
    EXPECT_NEAR(Noise(p + Vec3{1e-6, 1e-6, 1e-6}, 11), n, 1e-4) << x;
    const double f = Fbm(p, 5, 11);
    EXPECT_LE(std::fabs(f), 1.5) << x;
  }
  EXPECT_LT(lowest, -0.2);
  EXPECT_GT(highest, 0.2);
  EXPECT_LE(std::max(-lowest, highest), 1.2);
  // Zero on the lattice, and the seed matters.
  EXPECT_EQ(Noise({-3, 4, 5}, 2), 0.0);
  EXPECT_NE(Noise({0.5, 0.5, 0.5}, 1), Noise({0.5, 0.5, 0.5}, 2));
}

TEST(Splashes, StayWithinTheirPartsOfTheDisc) {
  const TendrilSplash tendrils(1400);
  const BurstSplash burst(1500);
  EXPECT_LT(tendrils.Distance(0, 0), -0.1);
  EXPECT_LT(burst.Distance(0, 0), -0.5);
  int tendrilReach = 0;
  for (int i = 0; i < 720; ++i) {
    const double a = 2 * std::numbers::pi * i / 720;
    const double c = Cos(a), s = Sin(a);
    // The burst fills the middle and leaves the rim at the border.
    EXPECT_LT(burst.Distance(0.7 * c, 0.7 * s), 0) << i;
    EXPECT_GT(burst.Distance(0.99 * c, 0.99 * s), 0) << i;
    // The core of the splitting sphere is whole; tendrils reach outwards
    // but not off the sphere.
    EXPECT_LT(tendrils.Distance(0.15 * c, 0.15 * s), 0) << i;
    EXPECT_GT(tendrils.Distance(1.2 * c, 1.2 * s), 0) << i;
    tendrilReach += tendrils.Distance(0.55 * c, 0.55 * s) < 0;
  }
  // Some directions carry a tendril at mid radius, most do not.
  EXPECT_GT(tendrilReach, 15);
  EXPECT_LT(tendrilReach, 360);
}

TEST(Lettering, SitsWhereAskedFitsItsWidthAndDripsOnlyDownward) {
  Mask mask(320, 200);
  const TextBox box = DrawText(mask, kSerifBold, 90, 200, "Gush", 160, 100);
  EXPECT_LE(box.right - box.left, 205);
  EXPECT_NEAR((box.left + box.right) / 2.0, 160, 8);
  EXPECT_LE(box.bottom, 100 + 3); // no descenders in "Gush"
  EXPECT_LT(box.top, 100 - 40);
  const Mask before = mask;
  AddDrips(mask, box.top, box.bottom + 1, 60, 7);
  int added = 0;
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x) {
      ASSERT_GE(mask.At(x, y), before.Get(x, y));
      if (mask.At(x, y) > before.Get(x, y) + 0.5) {
        ++added;
        // Hanging from the letter: solid ink just above, in this column band.
        bool inkAbove = false;
        for (int dy = 1; dy < 90 && !inkAbove; ++dy)
          for (int dx = -6; dx <= 6; ++dx)
            inkAbove = inkAbove || before.Get(x + dx, y - dy) > 0.5;
        EXPECT_TRUE(inkAbove) << x << ", " << y;
      }
    }
  EXPECT_GT(added, 100);
  Mask empty(10, 10);
  EXPECT_THROW(DrawText(empty, "/nonexistent/font.ttf", 12, 10, "x", 5, 5),
               std::runtime_error);
}

TEST(Quantizer, MapsEveryPixelToItsNearestEntry) {
  Image picture(97, 61);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      picture.At(x, y) = {0.5 + 0.5 * Sin(x * 0.21 + y * 0.05),
                          HashUnit(x, y, 0, 5), (x + y) / 160.0};
  const Quantized q = QuantizePicture(picture);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i)
    ASSERT_EQ(q.indices[i], Nearest(q.table, ToColour8(picture.pixels[i])))
        << i;
}

TEST(PaletteTableBuilder, WritesWhatItBuiltAndRefusesWhatMissesTargets) {
  // A single colour cannot make 256 entries each somebody's nearest.
  Bitmap8 flat;
  flat.width = flat.height = 4;
  flat.table[0] = {120, 30, 30};
  flat.indices.assign(16, 0);
  EXPECT_THROW(BuildPaletteTable({flat}), std::runtime_error);

  Table table{};
  for (std::size_t i = 0; i < 256; ++i)
    table[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7};
  std::string source = PaletteSource(table);
  source = source.substr(source.find('{') + 1);
  std::istringstream numbers(source);
  for (std::size_t i = 0; i < 256; ++i) {
    int blue = -1, green = -1, red = -1;
    char comma = 0;
    numbers >> blue >> comma >> green >> comma >> red >> comma;
    ASSERT_EQ(red, table[i].r) << i;
    ASSERT_EQ(green, table[i].g) << i;
    ASSERT_EQ(blue, table[i].b) << i;
  }
}

} // namespace
