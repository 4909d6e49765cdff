// The pieces tools and benchmarks share: bitmap resources decoded to
// pixels, and the engine state the benchmarks save and put back.
#include "animation_fixture.h"
#include "layer.h"
#include "resource_picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// An 8-bit bitmap resource of width by height whose pixel (x, y) has
// colour index x + 10 y and colour (i, 2i, 3i); rows bottom first unless
// the height is negative.
std::vector<unsigned char> Bitmap(int width, int height, int bits = 8) {
  const int rows = height < 0 ? -height : height;
  const int stride = (width + 3) & ~3;
  std::vector<unsigned char> data(1064 +
                                  static_cast<std::size_t>(stride * rows));
  auto put = [&data](std::size_t at, int32_t value) {
    std::memcpy(&data[at], &value, 4);
  };
  put(0, 40);
  put(4, width);
  put(8, height);
  data[12] = 1;
  data[14] = static_cast<unsigned char>(bits);
  for (int i = 0; i < 256; ++i) {
    data[40 + 4 * static_cast<std::size_t>(i)] =
        static_cast<unsigned char>(3 * i); // blue
    data[41 + 4 * static_cast<std::size_t>(i)] =
        static_cast<unsigned char>(2 * i); // green
    data[42 + 4 * static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
  }
  for (int y = 0; y < rows; ++y) {
    const int stored = height < 0 ? y : rows - 1 - y;
    for (int x = 0; x < width; ++x) {
      data[1064 + static_cast<std::size_t>(stored * stride + x)] =
          static_cast<unsigned char>(x + 10 * y);
    }
  }
  return data;
}

uint32_t Expected(int x, int y) {
  const auto i = static_cast<uint32_t>(x + 10 * y) & 0xFF;
  return ((i & 0xFF) << 16) | (((2 * i) & 0xFF) << 8) | ((3 * i) & 0xFF);
}

TEST(ResourcePicture, DecodesRowsAndRejectsDamage) {
  std::vector<std::vector<unsigned char>> data = {
      Bitmap(3, 2), Bitmap(5, -3), Bitmap(3, 2, 4), Bitmap(3, 2), Bitmap(0, 2)};
  data[3].resize(data[3].size() - 1); // last row cut short
  const char *names[] = {"UP", "DOWN", "FOURBIT", "SHORT", "EMPTY", "TINY"};
  std::vector<platform::EmbeddedResource> entries;
  for (std::size_t i = 0; i < 6; ++i) {
    const auto *bytes = i < data.size() ? data[i].data() : data[0].data();
    const auto size = static_cast<DWORD>(i < data.size() ? data[i].size() : 20);
    entries.push_back({nullptr, 2, names[i], 0, 0, bytes, size});
  }
  const platform::ResourceTable previous =
      platform::SetModuleResources({entries.data(), entries.size()});

  Picture picture;
  ASSERT_TRUE(LoadPictureResource("UP", picture));
  ASSERT_EQ(picture.width, 3);
  ASSERT_EQ(picture.height, 2);
  EXPECT_EQ(
      picture.pixels,
      (std::vector<uint32_t>{Expected(0, 0), Expected(1, 0), Expected(2, 0),
                             Expected(0, 1), Expected(1, 1), Expected(2, 1)}));
  ASSERT_TRUE(LoadPictureResource("DOWN", picture));
  ASSERT_EQ(picture.width, 5);
  ASSERT_EQ(picture.height, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(picture.pixels[static_cast<std::size_t>(y * 5 + x)],
                Expected(x, y));
    }
  }
  for (const char *bad : {"FOURBIT", "SHORT", "EMPTY", "TINY", "MISSING"}) {
    EXPECT_FALSE(LoadPictureResource(bad, picture)) << bad;
    EXPECT_TRUE(picture.pixels.empty()) << bad;
  }
  EXPECT_EQ(platform::LiveObjectCount(), 0u);
  platform::SetModuleResources(previous);

  // The program's own bitmaps.
  ASSERT_TRUE(LoadPictureResource("SPLASH2", picture));
  EXPECT_EQ(picture.width, 640);
  EXPECT_EQ(picture.height, 480);
  ASSERT_TRUE(LoadPictureResource("PUS5", picture));
  EXPECT_EQ(picture.width, 200);
}

bool SameState(const EngineSnapshot &a, const EngineSnapshot &b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameSpans(const FloorJob &a, const FloorJob &b) {
  if (a.spans.size() != b.spans.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.spans.size(); ++i) {
    if (a.spans[i].y != b.spans[i].y || a.spans[i].left != b.spans[i].left ||
        a.spans[i].right != b.spans[i].right) {
      return false;
    }
  }
  return true;
}

// A step replayed from a saved state must paint the same pixels and leave
// the same state, or the benchmarks would not measure one kind of step.
TEST(BenchmarkFixture, SavedStatesReplayExactly) {
  ASSERT_NE(OpenSession(640, 480), nullptr);
  const SeriesPlan plan = PlanFirstSeries();
  EXPECT_EQ(plan.steps, 2127); // the first series of seed 1 at 640x480
  EXPECT_EQ(plan.typical[Burst].phase, Burst);
  EXPECT_EQ(plan.typical[RunFlood].phase, RunFlood);
  EXPECT_EQ(plan.typical[GrowSplat].steps + 1, plan.typical[GrowSplat].target);

  for (LONG phase : {GrowSplat, Burst, RunDrips, RunFlood, PlaceSplat}) {
    const FloorJob first = CaptureStep(plan.typical[phase]);
    const EngineSnapshot after = SaveEngine();
    const FloorJob again = CaptureStep(plan.typical[phase]);
    EXPECT_TRUE(SameState(after, SaveEngine())) << phase;
    EXPECT_FALSE(SameState(after, plan.typical[phase])) << phase;
    EXPECT_TRUE(SameSpans(first, again)) << phase;
    EXPECT_EQ(first.Pixels() > 0, phase != PlaceSplat) << phase;

    // The floor writes exactly the painted pixels.
    std::vector<uint32_t> screen(640 * 480, 0x01000000u);
    std::vector<int> columns;
    CopyFloor(first, columns, screen.data());
    long written = 0;
    for (uint32_t pixel : screen) {
      written += pixel != 0x01000000u ? 1 : 0;
    }
    EXPECT_EQ(written, first.Pixels()) << phase;
  }
}

} // namespace
