// The picture generator's own building blocks: the processor-independent
// maths, the quantizer's guarantees and the BMP encoding.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <set>

#include "bmp.h"
#include "mathx.h"
#include "quantize.h"

namespace {

using namespace pictures;

TEST(PictureMaths, AgreesWithTheLibraryAcrossQuadrantsAndRanges) {
  for (double x = -40; x <= 40; x += 0.0137) {
    EXPECT_NEAR(Sin(x), std::sin(x), 1e-11) << x;
    EXPECT_NEAR(Cos(x), std::cos(x), 1e-11) << x;
  }
  // Quarter turns land exactly on the kernel boundaries.
  for (int q = -8; q <= 8; ++q) {
    const double x = q * std::numbers::pi / 2;
    EXPECT_NEAR(Sin(x), std::sin(x), 1e-12) << q;
    EXPECT_NEAR(Cos(x), std::cos(x), 1e-12) << q;
  }
  for (double y = -3; y <= 3; y += 0.25)
    for (double x = -3; x <= 3; x += 0.25)
      EXPECT_NEAR(Atan2(y, x), std::atan2(y, x), 1e-12) << y << ", " << x;
  EXPECT_EQ(Atan2(0, 0), 0.0);
  for (double x = -30; x <= 30; x += 0.173)
    EXPECT_NEAR(Exp(x) / std::exp(x), 1.0, 1e-12) << x;
  EXPECT_EQ(Exp(-800), 0.0);
  EXPECT_TRUE(std::isfinite(Exp(900)));
  for (double x = 1e-6; x < 1e6; x *= 1.7)
    EXPECT_NEAR(Log(x), std::log(x), 1e-11) << x;
  EXPECT_NEAR(Pow(0.8, 60), std::pow(0.8, 60), 1e-15);
  EXPECT_EQ(Pow(0, 3), 0.0);
  EXPECT_EQ(Pow(0, 0), 1.0);
}

TEST(Quantizer, KeepsFewColoursExactAndPinnedEntriesInPlace) {
  // Fewer colours than entries: every one must survive exactly.
  std::vector<Colour8> pixels;
  for (int i = 0; i < 40; ++i)
    for (int n = 0; n <= i; ++n)
      pixels.push_back({static_cast<uint8_t>(6 * i),
                        static_cast<uint8_t>(200 - 3 * i),
                        static_cast<uint8_t>(i)});
  const std::vector<Counted> colours = Histogram(pixels);
  ASSERT_EQ(colours.size(), 40u);
  const Table table =
      BuildTable(colours, {{7, {1, 2, 3}}, {255, {255, 255, 255}}}, 0);
  EXPECT_EQ(table[7], (Colour8{1, 2, 3}));
  EXPECT_EQ(table[255], (Colour8{255, 255, 255}));
  std::set<uint32_t> distinct;
  for (const Colour8 &c : table)
    distinct.insert(static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b));
  EXPECT_EQ(distinct.size(), 256u);
  for (const Counted &c : colours)
    EXPECT_EQ(table[static_cast<std::size_t>(Nearest(table, c.colour))],
              c.colour);
}

TEST(Quantizer, ServesAWideGradientAndEmptyInput) {
  Image ramp(256, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 256; ++x)
      ramp.At(x, y) = {x / 255.0, y / 63.0, (x ^ y) / 255.0};
  const Quantized q = QuantizePicture(ramp);
  ASSERT_EQ(q.indices.size(), 256u * 64u);
  double worst = 0;
  for (std::size_t i = 0; i < q.indices.size(); ++i)
    worst =
        std::max(worst, std::sqrt(DistanceSquared(q.table[q.indices[i]],
                                                  ToColour8(ramp.pixels[i]))));
  EXPECT_LT(worst, 40.0);
  // No colours at all: still 256 distinct entries, pinned one kept.
  const Table empty = BuildTable({}, {{0, {9, 9, 9}}}, 0);
  EXPECT_EQ(empty[0], (Colour8{9, 9, 9}));
  std::set<uint32_t> distinct;
  for (const Colour8 &c : empty)
    distinct.insert(static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b));
  EXPECT_EQ(distinct.size(), 256u);
}

TEST(BmpFiles, RoundTripBottomRowFirstAndRejectDamage) {
  Bitmap8 b;
  b.width = 8;
  b.height = 3;
  b.pixelsPerMetre = 2874;
  for (std::size_t i = 0; i < 256; ++i)
    b.table[i] = {static_cast<uint8_t>(i), 1, 2};
  for (int i = 0; i < 24; ++i)
    b.indices.push_back(static_cast<uint8_t>(i / 8)); // row number
  const std::vector<uint8_t> bytes = EncodeBmp(b);
  ASSERT_EQ(bytes.size(), 14u + 40u + 1024u + 24u);
  EXPECT_EQ(bytes[1078], 2); // stored first: the picture's bottom row
  EXPECT_EQ(bytes[1078 + 16], 0);

  const std::string path =
      (std::filesystem::temp_directory_path() / "gushmire_bmp_test.bmp")
          .string();
  ASSERT_TRUE(WriteFile(path, bytes));
  Bitmap8 back;
  ASSERT_TRUE(ReadBmp(path, back));
  EXPECT_EQ(back.indices, b.indices);
  EXPECT_EQ(back.pixelsPerMetre, 2874);
  EXPECT_EQ(back.table[200], (Colour8{200, 1, 2}));
  // Cut short, or not a BMP at all.
  ASSERT_TRUE(
      WriteFile(path, std::vector<uint8_t>(bytes.begin(), bytes.end() - 1)));
  EXPECT_FALSE(ReadBmp(path, back));
  ASSERT_TRUE(WriteFile(path, std::string("not a bitmap")));
  EXPECT_FALSE(ReadBmp(path, back));
  std::filesystem::remove(path);
  EXPECT_FALSE(ReadBmp(path, back));
}

} // namespace
