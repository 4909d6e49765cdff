// Clip boxes, frame names, and the failure paths of the draws: none may
// paint where it should not or leave an object behind.
#include "frame_drawing.h"
#include "host_state.h"
#include "saver_fixture.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

std::vector<char> RegionBytes(HRGN region) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<char> bytes(size);
  GetRegionData(region, size, reinterpret_cast<RGNDATA *>(bytes.data()));
  return bytes;
}

// The clip region of windowDC is the union of the ellipses in `boxes`.
void ExpectClip(std::initializer_list<RECT> boxes) {
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetClipRgn(windowDC, clip), 1);
  HRGN expected = CreateRectRgn(0, 0, 0, 0);
  for (const RECT &box : boxes) {
    HRGN ellipse = CreateEllipticRgn(box.left, box.top, box.right, box.bottom);
    CombineRgn(expected, expected, ellipse, RGN_OR);
    DeleteObject(ellipse);
  }
  EXPECT_EQ(RegionBytes(clip), RegionBytes(expected));
  DeleteObject(expected);
  DeleteObject(clip);
}

class FrameDrawing : public ::testing::Test {
protected:
  FrameDrawing() : saver_(640, 480) { windowDC = GetDC(saver_.window()); }
  ~FrameDrawing() override { ReleaseDC(saver_.window(), windowDC); }

  static std::size_t PaintedPixels() {
    std::size_t painted = 0;
    for (int i = 0; i < 640 * 480; ++i) {
      painted += platform::FramebufferPixels()[i] != 0 ? 1 : 0;
    }
    return painted;
  }

  SaverWindow saver_;
};

// Any mode other than 1 shows pus; frames out of range have no picture.
TEST(FrameNames, OutOfRangeFramesAndOtherModes) {
  EXPECT_EQ(SplatFrameName(1, 1), std::string("BLOOD2"));
  EXPECT_EQ(SplatFrameName(-7, 7), std::string("PUS5"));
  EXPECT_EQ(SplatFrameName(1, 0), nullptr);
  EXPECT_EQ(SplatFrameName(1, 8), nullptr);
  EXPECT_EQ(BackdropName(3), std::string("SPLASH2"));
}

TEST_F(FrameDrawing, DripBoxesTruncateTowardZero) {
  const DripRecord high = {0.0f, -48.0f, 17.0f, 25.5f, 1.0f};
  const DripRecord low = {10.25f, 20.75f, 5.5f, 8.25f, 1.0f};
  ClipDrip(high, true);
  ClipDrip(low, false); // a second drip unites
  ExpectClip({{-17, -73, 17, -22}, {4, 12, 15, 29}});
  // Negative fractions on the surface: -2.25 and -0.5 become -2 and 0.
  ClipDrip({3.25f, 5.5f, 5.5f, 6.0f, 1.0f}, true);
  ExpectClip({{-2, 0, 8, 11}});
  ClipDrip(low, true);
  AddDropletClip(308, 443, 4); // a droplet unites too
  ExpectClip({{4, 12, 15, 29}, {304, 439, 312, 447}});
  ClearClip();
  HRGN none = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(windowDC, none), 0);
  DeleteObject(none);
}

TEST_F(FrameDrawing, FailedDrawsPaintNothingAndRelease) {
  const std::size_t objects = platform::LiveObjectCount();
  frameIndex = 3;
  dripTable[0].x = 320.0f;
  dripTable[0].y = 240.0f;
  stepCount = 40;
  auto drawAll = [] {
    DrawBackdrop();
    DrawSplatFrame();
  };
  {
    // No resources at all. Damaged bitmaps are refused by the layer
    // (gdi32/blit_test) and drawn from by the resource fuzzer.
    const platform::ResourceTable previous =
        platform::SetModuleResources({nullptr, 0});
    drawAll();
    platform::SetModuleResources(previous);
  }
  {
    // The module handle does not hold the resources.
    const HINSTANCE saved = moduleInstance;
    moduleInstance = reinterpret_cast<HINSTANCE>(0x1234);
    drawAll();
    moduleInstance = saved;
  }
  // A clip region that cannot be built (this box is too large for the
  // platform) must not leave "no clip" behind, which would paint everywhere.
  ClearClip();
  stepCount = 300000;
  SelectSplatClip();
  EXPECT_TRUE(clipFailed);
  stepCount = 40;
  drawAll();
  const DripRecord huge = {320.0f, 240.0f, 1e6f, 10.0f, 1.0f};
  const DripRecord small = {320.0f, 240.0f, 10.0f, 10.0f, 1.0f};
  ClipDrip(huge, true);
  ClipDrip(small, false);
  drawAll();
  // A droplet that fails only leaves a gap.
  ClipDrip(small, true);
  AddDropletClip(0, 0, 1 << 30);
  EXPECT_FALSE(clipFailed);
  ClearClip();
  for (const LONG frame : {LONG{0}, LONG{8}, LONG{-3}}) {
    frameIndex = frame;
    DrawSplatFrame();
  }
  EXPECT_EQ(PaintedPixels(), 0u);
  EXPECT_EQ(memoryDC, nullptr);
  EXPECT_EQ(platform::LiveObjectCount(), objects);

  // A radius far beyond the surface clamps instead of overflowing: the
  // square reaches from far off the left edge to just before x = 319.
  stepCount = 2147483647;
  frameIndex = 1;
  DrawSplatFrame();
  EXPECT_NE(platform::FramebufferPixel(0, 0), 0u); // no bitmap holds black
  EXPECT_EQ(platform::FramebufferPixel(330, 0), 0u);
  stepCount = 0;
  DrawBackdrop();
  EXPECT_EQ(PaintedPixels(), 640u * 480u);
  EXPECT_EQ(platform::LiveObjectCount(), objects);
}

} // namespace
