// paletteTable against the shipped pictures: its fixed entries, distinct
// colours, and how well it serves every colour the pictures use.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "palette_table.h"
#include "shipped_bitmaps.h"

namespace {

using Colour = std::array<int, 3>; // red, green, blue

Colour Entry(int i) {
  const BYTE *p = paletteTable + 3 * i;
  return {p[2], p[1], p[0]};
}

double Distance(const Colour &a, const Colour &b) {
  return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

TEST(PaletteTable, HasItsFixedEntriesAndDistinctColours) {
  EXPECT_EQ(Entry(0), (Colour{0, 0, 0}));
  EXPECT_EQ(Entry(1), (Colour{57, 56, 28}));
  EXPECT_EQ(Entry(255), (Colour{253, 253, 251}));
  std::set<Colour> distinct;
  for (int i = 0; i < 256; ++i)
    distinct.insert(Entry(i));
  EXPECT_EQ(distinct.size(), 256u);
}

TEST(PaletteTable, ServesEveryColourOfEveryPicture) {
  std::map<Colour, long> used; // pixel count of every colour used
  for (const shipped::Bitmap &b : shipped::LoadAll()) {
    ASSERT_TRUE(b.Complete()) << b.name;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x)
        ++used[b.Rgb(x, y)];
  }
  std::set<int> nearestOfSomething;
  double worst = 0, sum = 0;
  long pixels = 0;
  for (const auto &[colour, count] : used) {
    int best = 0;
    for (int i = 1; i < 256; ++i)
      if (Distance(Entry(i), colour) < Distance(Entry(best), colour))
        best = i;
    nearestOfSomething.insert(best);
    worst = std::max(worst, Distance(Entry(best), colour));
    sum += Distance(Entry(best), colour) * static_cast<double>(count);
    pixels += count;
  }
  EXPECT_EQ(pixels, 2 * 640 * 480 + 10 * 200 * 200);
  EXPECT_LE(worst, 43.0);
  EXPECT_LE(sum / static_cast<double>(pixels), 6.0);
  EXPECT_EQ(nearestOfSomething.size(), 256u);
}

} // namespace
