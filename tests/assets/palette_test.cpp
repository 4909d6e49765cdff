// paletteTable against the shipped pictures: its fixed entries, distinct
// colours, and how well it serves every colour the pictures use.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "palette_table.h"
#include "shipped_bitmaps.h"

namespace {

using Colour = std::array<int, 3>; // red, green, blue

Colour Entry(int i) {
  const BYTE *p = paletteTable + 3 * i;
  return {p[2], p[1], p[0]};
}

int DistanceSquared(const Colour &a, const Colour &b) {
  int sum = 0;
  for (int k = 0; k < 3; ++k)
    sum += (a[static_cast<std::size_t>(k)] - b[static_cast<std::size_t>(k)]) *
           (a[static_cast<std::size_t>(k)] - b[static_cast<std::size_t>(k)]);
  return sum;
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
  // Pixel counts of every colour used, over all twelve pictures.
  std::vector<std::uint32_t> keys;
  for (const shipped::Bitmap &b : shipped::LoadAll()) {
    ASSERT_GT(b.ResourceSize(), 1064u) << b.name;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) {
        const auto c = b.Rgb(x, y);
        keys.push_back(
            static_cast<std::uint32_t>(c[0] << 16 | c[1] << 8 | c[2]));
      }
  }
  std::sort(keys.begin(), keys.end());
  std::vector<std::pair<Colour, long>> used;
  for (std::size_t i = 0; i < keys.size();) {
    std::size_t j = i;
    while (j < keys.size() && keys[j] == keys[i])
      ++j;
    const int k = static_cast<int>(keys[i]);
    used.push_back(
        {{k >> 16, (k >> 8) & 255, k & 255}, static_cast<long>(j - i)});
    i = j;
  }
  std::set<int> nearestOfSomething;
  double worst = 0, sum = 0;
  long pixels = 0;
  for (const auto &[colour, count] : used) {
    int best = 0;
    for (int i = 1; i < 256; ++i)
      if (DistanceSquared(Entry(i), colour) <
          DistanceSquared(Entry(best), colour))
        best = i;
    nearestOfSomething.insert(best);
    const double d = std::sqrt(DistanceSquared(Entry(best), colour));
    worst = std::max(worst, d);
    sum += d * static_cast<double>(count);
    pixels += count;
  }
  EXPECT_EQ(pixels, 2 * 640 * 480 + 10 * 200 * 200);
  EXPECT_LE(worst, 43.0);
  EXPECT_LE(sum / static_cast<double>(pixels), 6.0);
  EXPECT_EQ(nearestOfSomething.size(), 256u);
}

} // namespace
