// A DC's clip built shape by shape: whatever the layer keeps apart until it
// is asked for, the calls answer as for the merged clip.
#include <gtest/gtest.h>

#include "layer_helpers.h"

namespace {

constexpr uint32_t kFill = 0x123456;

struct Box {
  int left, top, right, bottom;
  bool ellipse;
};

HRGN Make(const Box &b) {
  return b.ellipse ? CreateEllipticRgn(b.left, b.top, b.right, b.bottom)
                   : CreateRectRgn(b.left, b.top, b.right, b.bottom);
}

} // namespace

TEST(Clip, UnitedShapesAnswerAsTheMergedRegion) {
  struct Case {
    const char *name;
    std::vector<Box> shapes;
    std::vector<int> types; // after each select
  };
  const Case cases[] = {
      {"halves of one rectangle",
       {{0, 0, 10, 5, false}, {0, 5, 10, 9, false}},
       {SIMPLEREGION, SIMPLEREGION}},
      {"apart",
       {{0, 0, 4, 4, false}, {6, 6, 9, 9, false}},
       {SIMPLEREGION, COMPLEXREGION}},
      {"a rectangle swallowing an ellipse",
       {{2, 2, 8, 8, true}, {0, 0, 10, 10, false}},
       {COMPLEXREGION, SIMPLEREGION}},
      {"empty shapes",
       {{3, 3, 3, 9, true}, {5, 5, 5, 5, false}},
       {NULLREGION, NULLREGION}},
      {"tall ellipses past a flat window",
       {{-40, -3000, 60, 3000, true},
        {30, -500, 200, 900, true},
        {0, 0, 0, 0, false}},
       {COMPLEXREGION, COMPLEXREGION, COMPLEXREGION}},
  };
  // More shapes than the clip keeps apart before merging some.
  Case droplets{"a hundred droplets", {}, {}};
  for (int i = 0; i < 100; ++i) {
    droplets.shapes.push_back({3 * i - 40, -3, 3 * i - 34, 4, true});
    droplets.types.push_back(COMPLEXREGION);
  }
  std::vector<Case> all(std::begin(cases), std::end(cases));
  all.push_back(droplets);
  for (const Case &c : all) {
    SCOPED_TRACE(c.name);
    const std::size_t live = platform::LiveObjectCount();
    HWND window = layer_test::OpenWindow(64, 1, 64, 4, kFill);
    HDC dc = GetDC(window);
    HRGN merged = CreateRectRgn(0, 0, 0, 0);
    for (std::size_t i = 0; i < c.shapes.size(); ++i) {
      HRGN shape = Make(c.shapes[i]);
      const int type = i == 0 ? SelectClipRgn(dc, shape)
                              : ExtSelectClipRgn(dc, shape, RGN_OR);
      EXPECT_EQ(type, c.types[i]) << i;
      EXPECT_EQ(CombineRgn(merged, merged, shape, RGN_OR), type) << i;
      // The DC holds the shape as it was when selected.
      HRGN empty = CreateRectRgn(0, 0, 0, 0);
      CombineRgn(shape, empty, nullptr, RGN_COPY);
      DeleteObject(empty);
      DeleteObject(shape);
    }
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetClipRgn(dc, clip), 1);
    EXPECT_TRUE(layer_test::SameRects(layer_test::RectsOf(clip),
                                      layer_test::RectsOf(merged)));
    // Drawing shows exactly the union's pixels of the window's one row.
    ASSERT_TRUE(layer_test::Draw(dc, layer_test::GridDib(1, 1), 0, 0, 64, 1));
    for (int x = 0; x < 64; ++x) {
      EXPECT_EQ(platform::FramebufferPixel(x, 0) ==
                    layer_test::GridColour(0, 0),
                PtInRegion(merged, x, 0) != 0)
          << x;
    }
    DeleteObject(clip);
    DeleteObject(merged);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    EXPECT_EQ(platform::LiveObjectCount(), live);
  }
}
