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

void SweepWidths(int from, int to) {
  for (int w = from; w <= to; ++w) {
    for (int h = 1; h <= 200; ++h) {
      if (InSweep(w, h)) {
        ASSERT_TRUE(RunSeries(w, h).all()) << w << "x" << h;
      }
    }
  }
}

// Every size from 1x1 to 200x200, in four parts that can run in parallel.
TEST(SmallWindows, Widths1To50) { SweepWidths(1, 50); }
TEST(SmallWindows, Widths51To100) { SweepWidths(51, 100); }
TEST(SmallWindows, Widths101To150) { SweepWidths(101, 150); }
TEST(SmallWindows, Widths151To200) { SweepWidths(151, 200); }

TEST(SmallWindows, PreviewSizes) {
  for (int w = 1; w <= 200; w += 19) {
    for (int h = 1; h <= 200; h += 23) {
      ASSERT_TRUE(RunSeries(w, h, true).all()) << w << "x" << h;
    }
  }
  EXPECT_TRUE(RunSeries(152, 112, true).all());
}

TEST(SmallWindows, ExtremeAspectRatios) {
  const int sizes[][2] = {{4000, 12}, {12, 4000}, {2048, 1},
                          {1, 2048},  {4000, 1},  {1, 4000}};
  for (const auto &size : sizes) {
    EXPECT_TRUE(RunSeries(size[0], size[1]).all()) << size[0] << "x" << size[1];
  }
}

// On a window narrower than 20 pixels the splat has the smallest radius the
// formula allows, W / 15, and its drips still run for a step.
TEST(SmallWindows, TinySplatStillBursts) {
  SaverWindow saver(7, 5);
  saver.Step();
  EXPECT_FLOAT_EQ(dripTable[0].rx, 7.0f / 15.0f);
  EXPECT_EQ(stepTarget, 0);
  saver.Step();
  EXPECT_EQ(animationPhase, FinishSplat);
  ASSERT_TRUE(saver.RunUntil(RunDrips, 20));
  EXPECT_EQ(stepTarget, 1);
  saver.Step();
  EXPECT_EQ(animationPhase, CountSplat);
}

} // namespace
