// The picture generator's building blocks where a fault would not show in
// the regeneration check on this machine: the processor-independent maths,
// the quantizer's guarantees and the generator's refusals.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <stdexcept>

#include "bmp.h"
#include "lettering.h"
#include "mathx.h"
#include "palette.h"
#include "quantize.h"

namespace {

using namespace pictures;

TEST(PictureMaths, AgreesWithTheLibrary) {
  for (double x = -40; x <= 40; x += 0.37) {
    EXPECT_NEAR(Sin(x), std::sin(x), 1e-11) << x;
    EXPECT_NEAR(Cos(x), std::cos(x), 1e-11) << x;
    EXPECT_NEAR(Exp(x / 2) / std::exp(x / 2), 1.0, 1e-12) << x;
    EXPECT_NEAR(Atan2(x, 3 - x), std::atan2(x, 3 - x), 1e-12) << x;
  }
  EXPECT_NEAR(Log(1e5), std::log(1e5), 1e-11);
  EXPECT_NEAR(Pow(0.8, 60), std::pow(0.8, 60), 1e-15);
  EXPECT_EQ(Atan2(0, 0), 0.0);
  EXPECT_EQ(Pow(0, 0), 1.0);
}

TEST(Quantizer, KeepsFewColoursExactPinnedEntriesInPlaceAndAllDistinct) {
  std::vector<Colour8> pixels;
  for (int i = 0; i < 40; ++i)
    for (int n = 0; n <= i; ++n)
      pixels.push_back({static_cast<uint8_t>(6 * i),
                        static_cast<uint8_t>(200 - 3 * i),
                        static_cast<uint8_t>(i)});
  const std::vector<Counted> colours = Histogram(pixels);
  ASSERT_EQ(colours.size(), 40u);
  for (const std::vector<Counted> &input : {colours, std::vector<Counted>{}}) {
    const Table table =
        BuildTable(input, {{7, {1, 2, 3}}, {255, {255, 255, 255}}}, 0);
    EXPECT_EQ(table[7], (Colour8{1, 2, 3}));
    EXPECT_EQ(table[255], (Colour8{255, 255, 255}));
    std::set<uint32_t> distinct;
    for (const Colour8 &c : table)
      distinct.insert(static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b));
    EXPECT_EQ(distinct.size(), 256u);
    for (const Counted &c : input)
      EXPECT_EQ(table[static_cast<std::size_t>(Nearest(table, c.colour))],
                c.colour);
  }
}

TEST(PictureGenerator, RefusesWhatItCannotMake) {
  // A single colour cannot make 256 entries each somebody's nearest.
  Bitmap8 flat;
  flat.width = flat.height = 4;
  flat.table[0] = {120, 30, 30};
  flat.indices.assign(16, 0);
  EXPECT_THROW(BuildPaletteTable({flat}), std::runtime_error);
  Mask empty(10, 10);
  EXPECT_THROW(DrawText(empty, "/nonexistent/font.ttf", 12, 10, "x", 5, 5),
               std::runtime_error);
  Bitmap8 back;
  EXPECT_FALSE(ReadBmp("/nonexistent/picture.bmp", back));
}

} // namespace
