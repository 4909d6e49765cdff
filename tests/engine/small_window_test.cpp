// Windows too small or too oddly shaped for the cycle's divisors: every
// phase must still come round, with no division by zero and no stall.
#include "saver_fixture.h"

#include <gtest/gtest.h>

#include <bitset>

namespace {

// Runs one whole series (up to and including SwitchMode); returns the
// phases performed, or an empty set if it took more than a generous bound.
std::bitset<9> RunSeries(int w, int h, bool preview = false) {
  SaverWindow saver(w, h, static_cast<DWORD>(w * 7919 + h), preview);
  // Ten splats of at most about 4 r + 20 steps each, r < W / 8 + 1, then a
  // flood from 1.5 W / 20 above the top at a speed of at least 1.
  const long bound = 10L * (w + 40) + 2L * (h + w) + 20;
  std::bitset<9> seen;
  for (long step = 0; step < bound; ++step) {
    const LONG phase = saver.Step();
    if (phase < 0 || phase > 8) {
      return {};
    }
    seen.set(static_cast<std::size_t>(phase));
    if (phase == SwitchMode) {
      return seen;
    }
  }
  return {};
}

#ifdef GUSHMIRE_SANITIZED_TESTS
// Sanitized builds run about forty times slower. They take the sizes where
// a divisor of the cycle reaches 0 (W below 40, H below 10) on a coarser
// grid, and a sparse grid of the rest.
bool InSweep(int w, int h) {
  return (w <= 40 && (h <= 12 || h % 17 == 0)) || (h <= 10 && w % 9 == 0) ||
         (w % 23 == 0 && h % 29 == 0);
}
#else
bool InSweep(int, int) { return true; }
#endif

// Every size from 1x1 to 200x200 (preview on a sparse grid), in parts that
// can run in parallel.
class SmallWindows : public ::testing::TestWithParam<int> {};

TEST_P(SmallWindows, EveryPhaseComesRound) {
  for (int w = GetParam(); w < GetParam() + 50; ++w) {
    for (int h = 1; h <= 200; ++h) {
      if (InSweep(w, h)) {
        ASSERT_TRUE(RunSeries(w, h).all()) << w << "x" << h;
      }
      if (w % 19 == 1 && h % 23 == 1) {
        ASSERT_TRUE(RunSeries(w, h, true).all()) << w << "x" << h << " preview";
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, SmallWindows,
                         ::testing::Values(1, 51, 101, 151));

TEST(OddWindows, ExtremeAspectRatios) {
  const int sizes[][2] = {{4000, 12}, {12, 4000}, {4000, 1}, {1, 4000}};
  for (const auto &size : sizes) {
    EXPECT_TRUE(RunSeries(size[0], size[1]).all()) << size[0] << "x" << size[1];
  }
  EXPECT_TRUE(RunSeries(152, 112, true).all());
}

} // namespace
