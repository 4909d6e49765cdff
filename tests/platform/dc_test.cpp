// Device contexts: own and common window DCs, memory DCs and what is
// selected into them, and handles that are not DCs. Palettes are with the
// 8-bit display in blit_test.
#include <gtest/gtest.h>

#include "layer_helpers.h"

using layer_test::OpenWindow;

namespace {

HBITMAP NewBitmap() {
  const layer_test::Dib dib = layer_test::GridDib(3, 3);
  return CreateDIBitmap(nullptr, dib.header(), CBM_INIT, dib.bits(), dib.info(),
                        DIB_RGB_COLORS);
}

} // namespace

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
  HBITMAP bitmap = NewBitmap();
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

TEST(DeviceContext, HandlesThatAreNoDcFailQuietly) {
  HDC gone = CreateCompatibleDC(nullptr);
  DeleteDC(gone);
  HRGN region = CreateRectRgn(0, 0, 2, 2);
  HBITMAP bitmap = NewBitmap();
  for (HDC bad :
       {gone, static_cast<HDC>(nullptr), reinterpret_cast<HDC>(region)}) {
    EXPECT_FALSE(DeleteDC(bad));
    EXPECT_EQ(SelectObject(bad, bitmap), nullptr);
    EXPECT_EQ(SetStretchBltMode(bad, COLORONCOLOR), 0);
    EXPECT_EQ(GetDeviceCaps(bad, BITSPIXEL), 0);
    EXPECT_EQ(SelectClipRgn(bad, region), ERROR);
    EXPECT_EQ(ExtSelectClipRgn(bad, region, RGN_OR), ERROR);
    EXPECT_EQ(GetClipRgn(bad, region), -1);
    EXPECT_EQ(GetPixel(bad, 0, 0), CLR_INVALID);
    EXPECT_EQ(RealizePalette(bad), GDI_ERROR);
    EXPECT_EQ(ReleaseDC(nullptr, bad), 0);
  }
  EXPECT_EQ(CreateCompatibleDC(gone), nullptr);
  DeleteObject(region);
  DeleteObject(bitmap);
}
