// The cycle's numbers at 640x480 with seed 1, and its phase sequence.
#include "saver_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// Steps while the phase about to run is `phase`; returns how many.
int StepsWhile(SaverWindow &saver, LONG phase) {
  int steps = 0;
  while (animationPhase == phase && steps < 100000) {
    saver.Step();
    ++steps;
  }
  return steps;
}

// The frames that FinishSplat shows.
std::vector<LONG> FinishFrames(SaverWindow &saver) {
  std::vector<LONG> frames;
  while (animationPhase == FinishSplat && frames.size() < 100) {
    saver.Step();
    frames.push_back(frameIndex);
  }
  return frames;
}

TEST(Random, FirstDrawsAndWrapAround) {
  SeedRandom(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int draw : expected) {
    EXPECT_EQ(NextRandom(), draw);
  }
  // 0xFFFFFFFF * 214013 + 2531011 wraps to 2316998.
  SeedRandom(0xFFFFFFFFu);
  EXPECT_EQ(NextRandom(), 35);
  EXPECT_EQ(randomSeed, 2316998u);
}

TEST(Cycle, FirstSplatAt640x480) {
  SaverWindow saver(640, 480);
  EXPECT_EQ(saver.Step(), PlaceSplat);
  EXPECT_FLOAT_EQ(dripTable[0].rx, 51.666668f);
  EXPECT_EQ(dripTable[0].ry, dripTable[0].rx);
  EXPECT_EQ(dripTable[0].x, 294.66666f);
  EXPECT_EQ(dripTable[0].y, 369.66666f);
  EXPECT_EQ(stepTarget, 51);
  EXPECT_EQ(animationPhase, GrowSplat);

  // The radius grows on frames 3, 4 and 5 only.
  saver.Step();
  saver.Step();
  EXPECT_EQ(stepCount, 0);
  EXPECT_EQ(StepsWhile(saver, GrowSplat) + 2, 85);
  EXPECT_EQ(frameIndex, 5);
  EXPECT_EQ(stepCount, 51);
  EXPECT_EQ(FinishFrames(saver), (std::vector<LONG>{6, 7}));
  EXPECT_EQ(animationPhase, Burst);
}

TEST(Cycle, LongerGrowthEndsOnFrameThree) {
  SaverWindow saver(640, 480);
  saver.Step();
  stepTarget = 52;
  EXPECT_EQ(StepsWhile(saver, GrowSplat), 88);
  EXPECT_EQ(frameIndex, 3);
  EXPECT_EQ(FinishFrames(saver), (std::vector<LONG>{4, 5, 6, 7}));
}

TEST(Cycle, BurstSetsUpFiveDrips) {
  SaverWindow saver(640, 480);
  ASSERT_TRUE(saver.RunUntil(Burst));
  EXPECT_EQ(saver.Step(), Burst);

  const float x[] = {277.44443f, 311.8889f, 284.3333f, 305.0f, 294.66666f};
  const float rx[] = {4.305556f, 4.305556f, 5.740741f, 5.740741f, 8.611112f};
  const float speed[] = {0.6f, 0.8f, 1.5f, 1.1f, 2.0f};
  for (int i = 0; i < 5; ++i) {
    const DripRecord &drip = dripTable[i + 1];
    SCOPED_TRACE(i + 1);
    EXPECT_FLOAT_EQ(drip.x, x[i]);
    EXPECT_FLOAT_EQ(drip.rx, rx[i]);
    EXPECT_EQ(drip.speed, speed[i]);
    EXPECT_FLOAT_EQ(drip.y, i < 4 ? 395.5f : 408.41666f);
    EXPECT_FLOAT_EQ(drip.ry, 1.5f * drip.rx);
  }
  EXPECT_EQ(stepTarget, 77);
  EXPECT_EQ(stepCount, 0);

  const float startY = dripTable[5].y;
  EXPECT_EQ(StepsWhile(saver, RunDrips), 77);
  EXPECT_FLOAT_EQ(dripTable[5].y, startY + 77 * 2.0f);
  EXPECT_EQ(animationPhase, CountSplat);
}

TEST(Cycle, FloodAt640x480) {
  SaverWindow saver(640, 480);
  ASSERT_TRUE(saver.RunUntil(SetUpFlood, 5000));
  EXPECT_EQ(splatCount, 10);
  saver.Step();
  for (int i = 0; i < dripCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(dripTable[i].x, 32.0f * static_cast<float>(i));
    EXPECT_EQ(dripTable[i].y, -48.0f);
    EXPECT_GE(dripTable[i].rx, 17.0f);
    EXPECT_LE(dripTable[i].rx, 32.0f);
    EXPECT_EQ(dripTable[i].ry, 1.5f * dripTable[i].rx);
    EXPECT_GE(dripTable[i].speed, 1.0f);
    EXPECT_LE(dripTable[i].speed, 2.0f);
  }
  // Speeds flip to 3 - speed on every 48th step of the flood, all at once.
  int steps = 0;
  while (animationPhase == RunFlood && steps < 10000) {
    float before[dripCount];
    for (int i = 0; i < dripCount; ++i) {
      before[i] = dripTable[i].speed;
    }
    saver.Step();
    ++steps;
    for (int i = 0; i < dripCount; ++i) {
      SCOPED_TRACE(steps);
      if (steps % 48 == 0) {
        EXPECT_FLOAT_EQ(dripTable[i].speed, 3.0f - before[i]);
      } else {
        EXPECT_EQ(dripTable[i].speed, before[i]);
      }
    }
  }
  EXPECT_EQ(animationPhase, SwitchMode);
  EXPECT_EQ(splatCount, 21);
  for (const DripRecord &drip : dripTable) {
    EXPECT_GE(drip.y, 480.0f);
  }
}

// A drip whose centre lands exactly on the bottom edge counts as arrived.
TEST(Cycle, FloodEndsWhenEveryCentreReachesTheBottom) {
  SaverWindow saver(64, 100);
  ASSERT_TRUE(saver.RunUntil(RunFlood, 5000));
  for (DripRecord &drip : dripTable) {
    drip.y = 98.5f;
    drip.speed = 1.5f;
  }
  dripTable[20].y = 97.0f;
  saver.Step();
  EXPECT_EQ(splatCount, 20);
  EXPECT_EQ(animationPhase, RunFlood);
  saver.Step();
  EXPECT_EQ(splatCount, 21);
  EXPECT_EQ(animationPhase, SwitchMode);
}

// Two series at 640x480 from seed 1, checked step by step against the
// transition table.
TEST(Cycle, TwoSeriesFromSeedOne) {
  SaverWindow saver(640, 480);
  std::vector<long> switchSteps;
  std::vector<LONG> modes;
  int countSteps = 0;
  for (long step = 1; step <= 4488; ++step) {
    const LONG modeBefore = displayMode;
    const LONG splatsBefore = splatCount;
    const LONG phase = saver.Step();
    switch (phase) {
    case PlaceSplat:
      EXPECT_EQ(animationPhase, GrowSplat);
      break;
    case CountSplat:
      ++countSteps;
      EXPECT_EQ(splatCount, splatsBefore + 1);
      EXPECT_EQ(animationPhase, splatCount == 10 ? SetUpFlood : PlaceSplat);
      break;
    case Burst:
      // Record 5 keeps 2.0; records 1 to 4 hold the other four speeds.
      {
        std::vector<float> speeds;
        for (int i = 1; i <= 4; ++i) {
          speeds.push_back(dripTable[i].speed);
        }
        std::sort(speeds.begin(), speeds.end());
        EXPECT_EQ(speeds, (std::vector<float>{0.6f, 0.8f, 1.1f, 1.5f}));
        EXPECT_EQ(dripTable[5].speed, 2.0f);
      }
      break;
    case SwitchMode:
      switchSteps.push_back(step);
      modes.push_back(modeBefore);
      EXPECT_EQ(splatCount, 0);
      EXPECT_EQ(animationPhase, PlaceSplat);
      break;
    default:
      EXPECT_EQ(displayMode, modeBefore);
      break;
    }
  }
  EXPECT_EQ(switchSteps, (std::vector<long>{2127, 4488}));
  EXPECT_EQ(modes, (std::vector<LONG>{1, 2}));
  EXPECT_EQ(displayMode, 1);
  EXPECT_EQ(countSteps, 20);
}

TEST(Cycle, PhaseOutOfRangeChangesNothing) {
  StandInResources resources;
  SaverWindow saver(64, 48);
  saver.Step();
  const std::vector<uint32_t> before(platform::DisplayPixels(),
                                     platform::DisplayPixels() + 64 * 48);
  const std::size_t objects = platform::LiveObjectCount();
  for (const LONG phase :
       {LONG{9}, LONG{-1}, LONG{2147483647}, LONG{-2147483647 - 1}}) {
    animationPhase = phase;
    const EngineState state = CaptureState();
    windowDC = nullptr;
    AnimationStep(saver.window());
    EXPECT_TRUE(CaptureState() == state);
    // The step still took the window's own context.
    EXPECT_EQ(windowDC, GetDC(saver.window()));
    ReleaseDC(saver.window(), windowDC);
  }
  EXPECT_EQ(platform::LiveObjectCount(), objects);
  EXPECT_TRUE(
      std::equal(before.begin(), before.end(), platform::DisplayPixels()));
}

// A window without a context of its own gets a fresh one from GetDC that
// only ReleaseDC frees: a step of any phase that fails to give it back
// leaves an object behind.
TEST(Cycle, EveryStepGivesBackTheWindowContext) {
  StandInResources resources;
  SaverWindow saver(64, 48);
  WNDCLASSA cls = {};
  cls.lpfnWndProc = DefWindowProcA;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "GushmireSharedDcTest";
  ASSERT_NE(RegisterClassA(&cls), 0);
  HWND window =
      CreateWindowExA(0, cls.lpszClassName, "test", WS_POPUP | WS_VISIBLE, 0, 0,
                      64, 48, nullptr, nullptr, cls.hInstance, nullptr);
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
  for (const LONG phase : {LONG{9}, LONG{-1}}) {
    animationPhase = phase;
    AnimationStep(window);
    EXPECT_EQ(platform::LiveObjectCount(), objects) << "phase " << phase;
  }
  DestroyWindow(window);
  UnregisterClassA(cls.lpszClassName, cls.hInstance);
}

} // namespace
