// The cycle's numbers at 640x480 with seed 1, its phase sequence, and the
// window context every step must give back.
#include "saver_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Steps while the phase about to run is `phase`; returns how many.
int StepsWhile(SaverWindow &saver, LONG phase) {
  int steps = 0;
  for (; animationPhase == phase && steps < 100000; ++steps) {
    saver.Step();
  }
  return steps;
}

TEST(Random, FirstDrawsAndWrapAround) {
  SeedRandom(1);
  for (int draw : {41, 18467, 6334, 26500, 19169}) {
    EXPECT_EQ(NextRandom(), draw);
  }
  // 0xFFFFFFFF * 214013 + 2531011 wraps to 2316998.
  SeedRandom(0xFFFFFFFFu);
  EXPECT_EQ(NextRandom(), 35);
  EXPECT_EQ(randomSeed, 2316998u);
}

TEST(Cycle, FirstSplatAndDripsAt640x480) {
  SaverWindow saver(640, 480);
  EXPECT_EQ(saver.Step(), PlaceSplat);
  EXPECT_FLOAT_EQ(dripTable[0].rx, 51.666668f);
  EXPECT_EQ(dripTable[0].ry, dripTable[0].rx);
  EXPECT_EQ(dripTable[0].x, 294.66666f);
  EXPECT_EQ(dripTable[0].y, 369.66666f);
  EXPECT_EQ(stepTarget, 51);
  // The radius grows on frames 3, 4 and 5 only; the finish shows 6 and 7.
  EXPECT_EQ(StepsWhile(saver, GrowSplat), 85);
  EXPECT_EQ(frameIndex, 5);
  EXPECT_EQ(stepCount, 51);
  EXPECT_EQ(StepsWhile(saver, FinishSplat), 2);
  EXPECT_EQ(frameIndex, 7);

  // The burst's five drips: the splat's x and radius spread, four speeds
  // shuffled and the fifth, below, at 2.
  EXPECT_EQ(saver.Step(), Burst);
  const float x[] = {277.44443f, 311.8889f, 284.3333f, 305.0f, 294.66666f};
  const float rx[] = {4.305556f, 4.305556f, 5.740741f, 5.740741f, 8.611112f};
  const float speed[] = {0.6f, 0.8f, 1.5f, 1.1f, 2.0f};
  for (int i = 0; i < 5; ++i) {
    const DripRecord &drip = dripTable[i + 1];
    EXPECT_FLOAT_EQ(drip.x, x[i]) << i;
    EXPECT_FLOAT_EQ(drip.rx, rx[i]) << i;
    EXPECT_EQ(drip.speed, speed[i]) << i;
    EXPECT_FLOAT_EQ(drip.y, i < 4 ? 395.5f : 408.41666f) << i;
    EXPECT_FLOAT_EQ(drip.ry, 1.5f * drip.rx) << i;
  }
  EXPECT_EQ(stepTarget, 77);
  EXPECT_EQ(StepsWhile(saver, RunDrips), 77);
  EXPECT_FLOAT_EQ(dripTable[5].y, 408.41666f + 77 * 2.0f);
  EXPECT_EQ(animationPhase, CountSplat);
}

// Every Burst shuffles the same four speeds over records 1 to 4.
TEST(Cycle, TwoSeriesFromSeedOne) {
  SaverWindow saver(640, 480);
  std::vector<long> switchSteps;
  std::vector<LONG> modes;
  for (long step = 1; step <= 4488; ++step) {
    const LONG modeBefore = displayMode;
    const LONG phase = saver.Step();
    if (phase == Burst) {
      std::vector<float> speeds;
      for (int i = 1; i <= 4; ++i) {
        speeds.push_back(dripTable[i].speed);
      }
      std::sort(speeds.begin(), speeds.end());
      EXPECT_EQ(speeds, (std::vector<float>{0.6f, 0.8f, 1.1f, 1.5f}));
    } else if (phase == SwitchMode) {
      switchSteps.push_back(step);
      modes.push_back(modeBefore);
      EXPECT_EQ(splatCount, 0);
      EXPECT_EQ(animationPhase, PlaceSplat);
    } else {
      EXPECT_EQ(displayMode, modeBefore);
    }
  }
  EXPECT_EQ(switchSteps, (std::vector<long>{2127, 4488}));
  EXPECT_EQ(modes, (std::vector<LONG>{1, 2}));
  EXPECT_EQ(displayMode, 1);
}

// A window without a context of its own gets a fresh one from GetDC that
// only ReleaseDC frees. The series is a preview's, whose droplets are drawn
// smaller. A phase out of range changes nothing else.
TEST(Cycle, EveryStepGivesBackTheWindowContext) {
  SaverWindow saver(64, 48, 1, true);
  WNDCLASSA cls = {};
  cls.lpfnWndProc = DefWindowProcA;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "GushmireSharedDcTest";
  ASSERT_NE(RegisterClassA(&cls), 0);
  HWND window =
      CreateWindowExA(0, cls.lpszClassName, "test", WS_POPUP, 0, 0, 64, 48,
                      nullptr, nullptr, cls.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  const std::size_t objects = platform::LiveObjectCount();
  std::vector<bool> seen(9, false);
  for (long step = 0; step < 100000 && !seen[SwitchMode]; ++step) {
    const LONG phase = animationPhase;
    AnimationStep(window);
    seen[static_cast<std::size_t>(phase)] = true;
    ASSERT_EQ(platform::LiveObjectCount(), objects) << "phase " << phase;
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 9);

  const std::vector<uint32_t> pixels(platform::FramebufferPixels(),
                                     platform::FramebufferPixels() + 64 * 48);
  const auto state = [] {
    return std::make_tuple(
        std::string(reinterpret_cast<const char *>(dripTable),
                    sizeof dripTable),
        displayMode, splatCount, stepCount, stepTarget, frameIndex, randomSeed);
  };
  const auto before = state();
  for (const LONG phase :
       {LONG{9}, LONG{-1}, LONG{2147483647}, LONG{-2147483647 - 1}}) {
    animationPhase = phase;
    AnimationStep(window);
    EXPECT_EQ(platform::LiveObjectCount(), objects) << "phase " << phase;
    EXPECT_EQ(animationPhase, phase);
  }
  EXPECT_TRUE(state() == before);
  EXPECT_TRUE(
      std::equal(pixels.begin(), pixels.end(), platform::FramebufferPixels()));
  DestroyWindow(window);
  UnregisterClassA(cls.lpszClassName, cls.hInstance);
}

} // namespace
