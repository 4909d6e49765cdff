// Device contexts, and bad handles of every kind, windows' as well.
// Palettes are in palette_test.
#include <gtest/gtest.h>

#include "layer_helpers.h"

using layer_test::OpenWindow;

TEST(WindowDc, OwnDcIsTheSameAndKeepsItsStateCommonDcsAreFresh) {
  const std::size_t live = platform::LiveObjectCount();
  HWND window = OpenWindow(20, 10, 64, 48, 0);
  HDC dc = GetDC(window);
  EXPECT_EQ(SetStretchBltMode(dc, COLORONCOLOR), BLACKONWHITE);
  HRGN clip = CreateEllipticRgn(0, 0, 6, 6);
  SelectClipRgn(dc, clip);
  DeleteObject(clip); // the DC holds its own copy
  EXPECT_EQ(ReleaseDC(window, dc), 1);
  HDC again = GetDC(window);
  EXPECT_EQ(again, dc);
  EXPECT_EQ(GetStretchBltMode(again), COLORONCOLOR);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(again, copy), 1);
  EXPECT_TRUE(PtInRegion(copy, 2, 2) && !PtInRegion(copy, 5, 5));
  DeleteObject(copy);
  EXPECT_EQ(ReleaseDC(nullptr, again), 1); // any window argument
  EXPECT_FALSE(DeleteDC(dc));              // a window's DC is not deleted
  DestroyWindow(window);
  EXPECT_EQ(GetStretchBltMode(dc), 0); // gone with its window

  window = OpenWindow(20, 10, 64, 48, 0, 0);
  HDC first = GetDC(window);
  HDC second = GetDC(window);
  EXPECT_NE(first, second);
  EXPECT_EQ(ReleaseDC(window, first), 1);
  EXPECT_EQ(ReleaseDC(window, first), 0);
  EXPECT_EQ(GetStretchBltMode(first), 0);
  // As on Win32 (checked under Wine) the DC alone counts, not the window.
  EXPECT_EQ(ReleaseDC(nullptr, second), 1);
  EXPECT_EQ(ReleaseDC(window, second), 0);
  DestroyWindow(window);
  EXPECT_EQ(platform::LiveObjectCount(), live);
}

TEST(MemoryDc, SelectingAndDeletingBitmaps) {
  const std::size_t live = platform::LiveObjectCount();
  HDC memory = CreateCompatibleDC(nullptr);
  HDC other = CreateCompatibleDC(memory);
  HBITMAP bitmap = layer_test::MakeBitmap(layer_test::GridDib(3, 3));
  HGDIOBJ stock = SelectObject(memory, bitmap);
  ASSERT_NE(stock, nullptr); // the 1x1 bitmap every memory DC starts with
  EXPECT_EQ(SelectObject(other, bitmap), nullptr); // one DC at a time
  EXPECT_FALSE(DeleteObject(bitmap));              // still selected
  EXPECT_TRUE(DeleteObject(stock));                // stock: a no-op
  EXPECT_EQ(SelectObject(memory, stock), bitmap);
  EXPECT_EQ(SelectObject(other, bitmap), stock);
  EXPECT_EQ(SelectObject(memory, other), nullptr);
  EXPECT_FALSE(DeleteObject(other)); // a DC is not a drawing object
  // Deleting the DC leaves the bitmap alive and deletable.
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_FALSE(DeleteDC(other));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(memory));
  EXPECT_EQ(platform::LiveObjectCount(), live);
}

// Null names the screen or the thread for some calls: those are not asked
// with it.
TEST(Handles, EveryCallRefusesStaleNullForeignAndMadeUpHandles) {
  HDC dc = CreateCompatibleDC(nullptr);
  HRGN region = CreateRectRgn(0, 0, 2, 2);
  HBITMAP bitmap = layer_test::MakeBitmap(layer_test::GridDib(3, 3));
  HDC goneDc = CreateCompatibleDC(nullptr);
  HRGN goneRegion = CreateRectRgn(0, 0, 4, 4);
  HWND goneWindow = OpenWindow(4, 4, 8, 8, 0);
  DeleteDC(goneDc);
  DeleteObject(goneRegion);
  DestroyWindow(goneWindow);
  const std::size_t live = platform::LiveObjectCount();
  const auto bad = [](auto gone, auto other) {
    using H = decltype(gone);
    return std::vector<H>{gone, reinterpret_cast<H>(other),
                          reinterpret_cast<H>(0x1234), nullptr};
  };
  RECT r{};
  char text[8];
  for (HDC h : bad(goneDc, region)) {
    SCOPED_TRACE(h);
    EXPECT_FALSE(DeleteDC(h));
    EXPECT_EQ(SelectObject(h, bitmap), nullptr);
    EXPECT_EQ(SetStretchBltMode(h, COLORONCOLOR), 0);
    EXPECT_EQ(GetDeviceCaps(h, BITSPIXEL), 0);
    EXPECT_EQ(SelectClipRgn(h, region), ERROR);
    EXPECT_EQ(ExtSelectClipRgn(h, region, RGN_OR), ERROR);
    EXPECT_EQ(GetClipRgn(h, region), -1);
    EXPECT_EQ(GetPixel(h, 0, 0), CLR_INVALID);
    EXPECT_EQ(RealizePalette(h), GDI_ERROR);
    EXPECT_EQ(ReleaseDC(nullptr, h), 0);
    EXPECT_FALSE(StretchBlt(h, 0, 0, 2, 2, dc, 0, 0, 1, 1, SRCCOPY));
    EXPECT_TRUE(h == nullptr || CreateCompatibleDC(h) == nullptr);
  }
  for (HRGN h : bad(goneRegion, dc)) {
    SCOPED_TRACE(h);
    EXPECT_FALSE(PtInRegion(h, 0, 0));
    EXPECT_EQ(GetRgnBox(h, &r), ERROR);
    EXPECT_EQ(GetRegionData(h, 0, nullptr), 0u);
    EXPECT_EQ(CombineRgn(h, h, h, RGN_OR), ERROR);
    EXPECT_EQ(CombineRgn(region, region, h, RGN_OR), ERROR);
    EXPECT_FALSE(DeleteObject(h));
  }
  for (HWND h : bad(goneWindow, region)) {
    SCOPED_TRACE(h);
    EXPECT_EQ(GetWindowTextA(h, text, sizeof text), 0);
    EXPECT_FALSE(GetClientRect(h, &r));
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(GetParent(h), nullptr);
    EXPECT_FALSE(DestroyWindow(h));
    EXPECT_EQ(CreateWindowExA(0, "TestOwnDc", "", WS_CHILD, 0, 0, 4, 4, h,
                              nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_TRUE(h == nullptr || GetDC(h) == nullptr);
    EXPECT_TRUE(h == nullptr || SetTimer(h, 1, 10, nullptr) == 0);
  }
  EXPECT_EQ(platform::LiveObjectCount(), live);
  DeleteObject(region);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
