// DIB bitmaps and stretched copies onto the headless display, through clips
// and past the display's edges.
#include <gtest/gtest.h>

#include "layer_helpers.h"

using layer_test::Dib;
using layer_test::Draw;
using layer_test::GridColour;
using layer_test::GridDib;

namespace {

constexpr uint32_t kFill = 0x123456;

// The DIB with the 32-bit header field at byte `at` set to `value`.
Dib With(Dib dib, std::size_t at, int32_t value) {
  std::memcpy(dib.bytes.data() + at, &value, sizeof value);
  return dib;
}

class Blit : public ::testing::Test {
protected:
  void SetUp() override {
    live = platform::LiveObjectCount();
    window = layer_test::OpenWindow(64, 48, 64, 48, kFill);
    dc = GetDC(window);
    SetStretchBltMode(dc, COLORONCOLOR);
  }
  void TearDown() override {
    ReleaseDC(window, dc);
    DestroyWindow(window);
    EXPECT_EQ(platform::LiveObjectCount(), live);
  }
  std::size_t live = 0;
  HWND window = nullptr;
  HDC dc = nullptr;
};

} // namespace

// Drawing through united clips is in clip_test.
TEST_F(Blit, NoClipAndAnEmptyClip) {
  HRGN a = CreateEllipticRgn(0, 0, 9, 9);
  EXPECT_EQ(SelectClipRgn(dc, nullptr), SIMPLEREGION);
  // Uniting with no clip at all starts from the whole client area.
  EXPECT_EQ(ExtSelectClipRgn(dc, a, RGN_OR), SIMPLEREGION);
  EXPECT_EQ(ExtSelectClipRgn(dc, nullptr, RGN_OR), ERROR);
  // The empty circle of a splat at step 0 lets nothing through.
  HRGN none = CreateEllipticRgn(10, 10, 10, 10);
  EXPECT_EQ(SelectClipRgn(dc, none), NULLREGION);
  ASSERT_TRUE(Draw(dc, GridDib(8, 8), 9, 9, 2, 2));
  EXPECT_EQ(platform::FramebufferPixel(9, 9), kFill);
  DeleteObject(none);
  DeleteObject(a);
}

TEST_F(Blit, ChildDrawsAtItsPlaceClippedToItsParent) {
  HWND parent = CreateWindowExA(0, "TestOwnDc", "", WS_POPUP, 10, 5, 20, 20,
                                nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExA(0, "TestOwnDc", "", WS_CHILD, 15, 10, 10, 10,
                               parent, nullptr, nullptr, nullptr);
  HDC childDc = GetDC(child);
  ASSERT_TRUE(Draw(childDc, GridDib(1, 1), -3, -3, 30, 30));
  // The child covers display (25..35, 15..25); its parent ends at x 30.
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool inside = x >= 25 && x < 30 && y >= 15 && y < 25;
      ASSERT_EQ(platform::FramebufferPixel(x, y),
                inside ? GridColour(0, 0) : kFill)
          << x << "," << y;
    }
  }
  EXPECT_EQ(GetPixel(childDc, 6, 0), CLR_INVALID); // hidden by the parent
  DestroyWindow(parent);
}

TEST_F(Blit, BadOrOversizedRequests) {
  HDC memory = CreateCompatibleDC(dc);
  const Dib dib = GridDib(4, 4);
  HBITMAP bitmap = layer_test::MakeBitmap(dib, dc);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  // Source rectangle 8x8 on a 4x4 bitmap: only the mapped part paints.
  EXPECT_TRUE(StretchBlt(dc, 0, 0, 8, 8, memory, 0, 0, 8, 8, SRCCOPY));
  EXPECT_EQ(platform::FramebufferPixel(3, 3), GridColour(3, 3));
  EXPECT_EQ(platform::FramebufferPixel(4, 0), kFill);
  EXPECT_EQ(platform::FramebufferPixel(0, 4), kFill);
  // Unsupported or broken requests fail without drawing.
  EXPECT_FALSE(StretchBlt(dc, 0, 0, 8, 8, memory, 0, 0, 4, 4, 0x00EE0086));
  EXPECT_FALSE(StretchBlt(dc, 8, 0, -8, 8, memory, 0, 0, 4, 4, SRCCOPY));
  EXPECT_FALSE(StretchBlt(memory, 0, 0, 8, 8, dc, 0, 0, 4, 4, SRCCOPY));
  EXPECT_TRUE(StretchBlt(dc, 20, 20, 0, 8, memory, 0, 0, 4, 4, SRCCOPY));
  // Off the display, and extreme sizes. (How copies that reach past the
  // edges map is compared with Wine's in tests/e2e/wine.)
  EXPECT_TRUE(StretchBlt(dc, -100, 10, 50, 50, memory, 0, 0, 4, 4, SRCCOPY));
  EXPECT_TRUE(StretchBlt(dc, 64, 0, 50, 50, memory, 0, 0, 4, 4, SRCCOPY));
  EXPECT_TRUE(StretchBlt(dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, memory,
                         0, 0, INT32_MAX, INT32_MAX, SRCCOPY));
  EXPECT_TRUE(StretchBlt(dc, INT32_MIN, 20, INT32_MAX, INT32_MAX, memory,
                         INT32_MIN, 0, INT32_MAX, 3, SRCCOPY));
  EXPECT_EQ(platform::FramebufferPixel(20, 20), kFill);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

TEST_F(Blit, BadDibHeadersGiveNoBitmap) {
  const Dib good = GridDib(6, 5);
  auto Bitmap = [](const BITMAPINFOHEADER *h, const void *bits, const Dib &d) {
    return CreateDIBitmap(nullptr, h, CBM_INIT, bits, d.info(), DIB_RGB_COLORS);
  };
  // biSize 12; 2 planes; 24 bits; compressed; width -6, height 0, height
  // INT32_MIN, width 2^30; 257 colours.
  const std::pair<std::size_t, int32_t> damages[] = {
      {0, 12}, {12, 2 | 8 << 16}, {12, 1 | 24 << 16}, {16, 1},  {4, -6},
      {8, 0},  {8, INT32_MIN},    {4, 1 << 30},       {32, 257}};
  for (const auto &[at, value] : damages) {
    const Dib dib = With(good, at, value);
    EXPECT_EQ(Bitmap(dib.header(), dib.bits(), dib), nullptr) << at;
  }
  EXPECT_EQ(Bitmap(nullptr, good.bits(), good), nullptr);
  EXPECT_EQ(Bitmap(good.header(), nullptr, good), nullptr);
  // Indices past a short colour table come out black.
  ASSERT_TRUE(Draw(dc, With(good, 32, 2), 0, 0, 6, 5));
  EXPECT_EQ(platform::FramebufferPixel(1, 0), layer_test::DistinctColour(1));
  EXPECT_EQ(platform::FramebufferPixel(2, 0), 0u);
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(1, 254, 7));
  EXPECT_EQ(GetPixel(dc, 64, 0), CLR_INVALID);
}
