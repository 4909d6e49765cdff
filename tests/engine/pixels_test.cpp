// What the burst paints on the headless display. Objects left behind are
// counted step by step in cycle_test and over long runs by the soak.
#include "frame_drawing.h"
#include "resource_picture.h"
#include "saver_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int width = 640;
constexpr int height = 480;

struct Droplet {
  int px, py, d;
};

// The burst, pixel by pixel: the backdrop shows exactly through the splat
// circle and the 40 droplets, worked out here from the generator's draws
// (which are left as they were).
std::vector<Droplet> NextDroplets(bool preview) {
  const DWORD saved = randomSeed;
  const DripRecord splat = dripTable[0];
  std::vector<Droplet> droplets;
  for (int i = 0; i < 40; ++i) {
    const float angle = static_cast<float>(NextRandom() % 62832 / 1000.0);
    const float dx = static_cast<float>(
        NextRandom() % static_cast<int>(splat.rx / 2.0) + double{splat.rx});
    const int px = static_cast<int>(std::cos(double{angle}) * dx + splat.x);
    const float dy = static_cast<float>(
        NextRandom() % static_cast<int>(splat.ry / 2.0) + double{splat.ry});
    const int py = static_cast<int>(std::sin(double{angle}) * dy + splat.y);
    const int d = preview
                      ? NextRandom() % 2 + 1
                      : NextRandom() % static_cast<int>(splat.rx / 12.0) + 2;
    droplets.push_back({px, py, d});
  }
  SeedRandom(saved);
  return droplets;
}

class BurstPixels : public ::testing::TestWithParam<bool> {};

TEST_P(BurstPixels, BackdropExactlyThroughSplatAndDroplets) {
  const bool preview = GetParam();
  Picture backdrop;
  ASSERT_TRUE(LoadPictureResource("SPLASH1", backdrop));
  SaverWindow saver(width, height, 1, preview);
  ASSERT_TRUE(saver.RunUntil(Burst));
  const std::vector<Droplet> droplets = NextDroplets(preview);
  if (!preview) {
    EXPECT_EQ(droplets[0].px, 308);
    EXPECT_EQ(droplets[0].py, 443);
    EXPECT_EQ(droplets[0].d, 4);
  }

  const double c = stepCount;
  const double x = dripTable[0].x;
  const double y = dripTable[0].y;
  HRGN clip =
      CreateEllipticRgn(static_cast<int>(x - c), static_cast<int>(y - c),
                        static_cast<int>(x + c), static_cast<int>(y + c));
  for (const Droplet &droplet : droplets) {
    HRGN circle =
        CreateEllipticRgn(droplet.px - droplet.d, droplet.py - droplet.d,
                          droplet.px + droplet.d, droplet.py + droplet.d);
    CombineRgn(clip, clip, circle, RGN_OR);
    DeleteObject(circle);
  }

  const std::vector<uint32_t> before(platform::FramebufferPixels(),
                                     platform::FramebufferPixels() +
                                         width * height);
  saver.Step();
  for (int py = 0; py < height; ++py) {
    for (int px = 0; px < width; ++px) {
      const uint32_t expected =
          PtInRegion(clip, px, py)
              ? backdrop.pixels[static_cast<std::size_t>(py * width + px)]
              : before[static_cast<std::size_t>(py * width + px)];
      ASSERT_EQ(platform::FramebufferPixel(px, py), expected)
          << px << "," << py;
    }
  }
  DeleteObject(clip);
}

INSTANTIATE_TEST_SUITE_P(FullScreenAndPreview, BurstPixels,
                         ::testing::Values(false, true));

} // namespace
