// Device contexts and the objects selected into them.
#include <gtest/gtest.h>

#include "layer_helpers.h"

using layer_test::GridDib;
using layer_test::OpenWindow;

namespace {

HBITMAP NewBitmap() {
  const layer_test::Dib dib = GridDib(3, 3);
  return CreateDIBitmap(nullptr, dib.header(), CBM_INIT, dib.bits(), dib.info(),
                        DIB_RGB_COLORS);
}

} // namespace

TEST(WindowDc, OwnDcIsTheSameAndKeepsItsState) {
  const std::size_t live = platform::LiveObjectCount();
  HWND window = OpenWindow(0, 0, 20, 10);
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
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
  EXPECT_TRUE(PtInRegion(copy, 2, 2));
  EXPECT_FALSE(PtInRegion(copy, 5, 5));
  SelectClipRgn(again, nullptr);
  EXPECT_EQ(GetClipRgn(again, copy), 0);
  DeleteObject(copy);
  EXPECT_EQ(ReleaseDC(window, again), 1);
  EXPECT_EQ(ReleaseDC(nullptr, again), 1); // any window argument
  EXPECT_EQ(GetStretchBltMode(again), COLORONCOLOR);
  EXPECT_FALSE(DeleteDC(dc)); // a window's DC is not deleted
  DestroyWindow(window);
  EXPECT_EQ(GetStretchBltMode(dc), 0); // gone with its window
  EXPECT_EQ(platform::LiveObjectCount(), live);
}

TEST(WindowDc, CommonDcsAreFreshAndFreedOnRelease) {
  const std::size_t live = platform::LiveObjectCount();
  HWND window = OpenWindow(0, 0, 20, 10, 64, 48, 0, 0);
  HDC first = GetDC(window);
  HDC second = GetDC(window);
  EXPECT_NE(first, second);
  SetStretchBltMode(first, COLORONCOLOR);
  EXPECT_EQ(ReleaseDC(window, first), 1);
  EXPECT_EQ(ReleaseDC(window, first), 0);
  EXPECT_EQ(GetStretchBltMode(first), 0);
  // As on Win32 (checked under Wine) the DC alone is released; the window
  // argument does not matter.
  EXPECT_EQ(ReleaseDC(nullptr, second), 1);
  EXPECT_EQ(ReleaseDC(window, second), 0);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 64);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  DestroyWindow(window);
  EXPECT_EQ(platform::LiveObjectCount(), live);
}

TEST(MemoryDc, SelectingAndDeletingBitmaps) {
  const std::size_t live = platform::LiveObjectCount();
  HDC memory = CreateCompatibleDC(nullptr);
  HDC other = CreateCompatibleDC(memory);
  HBITMAP bitmap = NewBitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(platform::LiveObjectCount(), live + 3);

  HGDIOBJ stock = SelectObject(memory, bitmap);
  ASSERT_NE(stock, nullptr); // the 1x1 bitmap every memory DC starts with
  EXPECT_EQ(SelectObject(other, bitmap), nullptr); // one DC at a time
  EXPECT_FALSE(DeleteObject(bitmap));              // still selected
  EXPECT_TRUE(DeleteObject(stock));                // stock: a no-op
  EXPECT_EQ(SelectObject(memory, stock), bitmap);
  EXPECT_EQ(SelectObject(other, bitmap), stock);

  // Regions select as the clip; palettes and DCs do not select at all.
  HRGN region = CreateEllipticRgn(0, 0, 5, 5);
  EXPECT_EQ(SelectObject(memory, region),
            reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(COMPLEXREGION)));
  EXPECT_TRUE(DeleteObject(region));
  EXPECT_EQ(SelectObject(memory, other), nullptr);
  EXPECT_FALSE(DeleteObject(other)); // a DC is not a drawing object

  // Deleting the DC leaves the bitmap alive and deletable.
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_FALSE(DeleteDC(other));
  EXPECT_EQ(platform::LiveObjectCount(), live + 2);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(memory));
  EXPECT_EQ(platform::LiveObjectCount(), live);
}

TEST(DeviceContext, InvalidHandlesFailQuietly) {
  HDC gone = CreateCompatibleDC(nullptr);
  DeleteDC(gone);
  HRGN region = CreateRectRgn(0, 0, 2, 2);
  HBITMAP bitmap = NewBitmap();
  for (HDC bad :
       {gone, static_cast<HDC>(nullptr), reinterpret_cast<HDC>(region)}) {
    if (bad != nullptr) {
      EXPECT_EQ(CreateCompatibleDC(bad), nullptr);
    }
    EXPECT_FALSE(DeleteDC(bad));
    EXPECT_EQ(SelectObject(bad, bitmap), nullptr);
    EXPECT_EQ(SetStretchBltMode(bad, COLORONCOLOR), 0);
    EXPECT_EQ(GetDeviceCaps(bad, BITSPIXEL), 0);
    EXPECT_EQ(SelectClipRgn(bad, region), ERROR);
    EXPECT_EQ(ExtSelectClipRgn(bad, region, RGN_OR), ERROR);
    EXPECT_EQ(GetClipRgn(bad, region), -1);
    EXPECT_EQ(GetPixel(bad, 0, 0), CLR_INVALID);
    EXPECT_EQ(SelectPalette(bad, nullptr, FALSE), nullptr);
    EXPECT_EQ(RealizePalette(bad), GDI_ERROR);
    EXPECT_EQ(ReleaseDC(nullptr, bad), 0);
  }
  HDC memory = CreateCompatibleDC(nullptr);
  DeleteObject(region);
  EXPECT_EQ(SelectClipRgn(memory, region), ERROR); // deleted region
  EXPECT_EQ(SetStretchBltMode(memory, 5), 0);
  DeleteDC(memory);
  DeleteObject(bitmap);
}

TEST(DeviceContext, CapsAndPalettes) {
  HWND window = OpenWindow(0, 0, 10, 10, 320, 200);
  HDC dc = GetDC(window);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 320);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 200);
  EXPECT_EQ(RealizePalette(dc), 0u);
  platform::SetDisplayBitsPerPixel(8);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 8);
  platform::SetDisplayBitsPerPixel(7); // refused
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 8);

  std::vector<unsigned char> buffer(4 + 256 * 4, 0);
  auto *description = reinterpret_cast<LOGPALETTE *>(buffer.data());
  description->palVersion = 0x300;
  description->palNumEntries = 256;
  HPALETTE palette = CreatePalette(description);
  ASSERT_NE(palette, nullptr);
  HPALETTE previous = SelectPalette(dc, palette, FALSE);
  ASSERT_NE(previous, nullptr);
  EXPECT_EQ(RealizePalette(dc), 256u);
  EXPECT_FALSE(DeleteObject(palette)); // still selected
  EXPECT_EQ(SelectPalette(dc, previous, FALSE), palette);
  EXPECT_TRUE(DeleteObject(palette));
  description->palVersion = 0x200;
  EXPECT_EQ(CreatePalette(description), nullptr);
  description->palVersion = 0x300;
  description->palNumEntries = 0;
  EXPECT_EQ(CreatePalette(description), nullptr);
  EXPECT_EQ(CreatePalette(nullptr), nullptr);
  platform::SetDisplayBitsPerPixel(32);
  ReleaseDC(window, dc);
  DestroyWindow(window);
}
