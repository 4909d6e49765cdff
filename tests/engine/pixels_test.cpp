// What the cycle paints on the headless display, and what it leaves alone.
#include "frame_drawing.h"
#include "saver_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int width = 640;
constexpr int height = 480;

std::vector<uint32_t> Snapshot() {
  return {platform::DisplayPixels(),
          platform::DisplayPixels() + width * height};
}

double Distance(int x, int y, double cx, double cy) {
  return std::hypot(x + 0.5 - cx, y + 0.5 - cy);
}

// The splat circle as asked for: inscribed in its truncated box. Regions
// leave out the box's right and bottom edges, so tests allow a margin.
struct Circle {
  double cx, cy, r;
};
Circle SplatCircle() {
  const double c = stepCount;
  const int left = static_cast<int>(dripTable[0].x - c);
  const int right = static_cast<int>(dripTable[0].x + c);
  const int top = static_cast<int>(dripTable[0].y - c);
  const int bottom = static_cast<int>(dripTable[0].y + c);
  return {(left + right) / 2.0, (top + bottom) / 2.0, (right - left) / 2.0};
}

TEST(Pixels, GrowthStaysInsideTheSplat) {
  StandInResources resources;
  SaverWindow saver(width, height);
  saver.Step();
  // Radius 0 on the first two steps: nothing at all.
  saver.Step();
  saver.Step();
  EXPECT_EQ(Snapshot(), std::vector<uint32_t>(width * height, 0));
  ASSERT_TRUE(saver.RunUntil(Burst));
  const Circle splat = SplatCircle();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel = platform::DisplayPixel(x, y);
      const double d = Distance(x, y, splat.cx, splat.cy);
      if (d > splat.r + 1.0) {
        ASSERT_EQ(pixel, 0u) << x << "," << y;
      } else if (d < splat.r - 2.5) {
        ASSERT_EQ(pixel, FrameColour("BLOOD5")) << x << "," << y;
      }
    }
  }
}

TEST(Pixels, FloodCoversTheWholeScreen) {
  StandInResources resources;
  SaverWindow saver(width, height);
  ASSERT_TRUE(saver.RunUntil(SwitchMode, 5000));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ASSERT_EQ(platform::DisplayPixel(x, y), BackdropColour(1, x, y))
          << x << "," << y;
    }
  }
  // The second series draws pus frames over the blood backdrop.
  saver.Step();
  ASSERT_TRUE(saver.RunUntil(FinishSplat));
  const int x = static_cast<int>(dripTable[0].x);
  const int y = static_cast<int>(dripTable[0].y);
  const uint32_t pixel = platform::DisplayPixel(x, y);
  EXPECT_TRUE(pixel == FrameColour("PUS2") || pixel == FrameColour("PUS1") ||
              pixel == FrameColour("PUS3"));
}

TEST(Pixels, ThousandsOfStepsLeaveNoObjects) {
  StandInResources resources;
  const std::size_t before = platform::LiveObjectCount();
  {
    SaverWindow saver(width, height, 12345);
    for (int i = 0; i < 6000; ++i) {
      saver.Step();
    }
    EXPECT_EQ(memoryDC, nullptr);
  }
  EXPECT_EQ(platform::LiveObjectCount(), before);
}

} // namespace
