// Palettes on an 8-bit display. Their life in the saver is checked in
// tests/host.
#include <gtest/gtest.h>

#include "layer_helpers.h"

using layer_test::Dib;
using layer_test::Draw;
using layer_test::GridDib;

TEST(EightBitDisplay, PixelsShowAsTheNearestRealizedColour) {
  HWND window = layer_test::OpenWindow(4, 1, 8, 2, 0);
  HDC dc = GetDC(window);
  Dib dib = GridDib(4, 1);
  const uint32_t own[4] = {0xC81414, 0xBE1E1E, 0xFAFAFA, 0x050505};
  for (int i = 0; i < 4; ++i) {
    layer_test::SetTableColour(dib, i, own[i]);
  }
  const auto shown = [&] {
    Draw(dc, dib, 0, 0, 4, 1);
    std::vector<uint32_t> row;
    for (int x = 0; x < 4; ++x) {
      row.push_back(platform::FramebufferPixel(x, 0));
    }
    return row;
  };
  // Before any realization only the 20 static colours show.
  platform::SetFramebufferBitsPerPixel(8);
  EXPECT_EQ(shown(),
            (std::vector<uint32_t>{0xFF0000, 0x800000, 0xFFFFFF, 0x000000}));

  // Only the first 236 entries get a slot: entry 240 matches 0xFAFAFA
  // exactly but is not on the screen.
  std::vector<unsigned char> buffer(4 + 256 * 4, 0);
  auto *description = reinterpret_cast<LOGPALETTE *>(buffer.data());
  description->palVersion = 0x300;
  description->palNumEntries = 256;
  PALETTEENTRY *entries = description->palPalEntry;
  for (int i = 0; i < 256; ++i) {
    entries[i] = PALETTEENTRY{0, 0, 255, PC_NOCOLLAPSE};
  }
  entries[0] = PALETTEENTRY{200, 20, 20, PC_NOCOLLAPSE};
  entries[240] = PALETTEENTRY{250, 250, 250, PC_NOCOLLAPSE};
  HPALETTE palette = CreatePalette(description);
  HPALETTE old = SelectPalette(dc, palette, FALSE);
  EXPECT_EQ(RealizePalette(dc), 256u);
  EXPECT_EQ(shown(),
            (std::vector<uint32_t>{0xC81414, 0xC81414, 0xFFFFFF, 0x000000}));
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(200, 20, 20));
  // Palettes play no part at other depths.
  platform::SetFramebufferBitsPerPixel(32);
  EXPECT_EQ(shown(), std::vector<uint32_t>(own, own + 4));
  SelectPalette(dc, old, FALSE);
  DeleteObject(palette);
  description->palNumEntries = 0;
  EXPECT_EQ(CreatePalette(description), nullptr);
  EXPECT_EQ(CreatePalette(nullptr), nullptr);
  ReleaseDC(window, dc);
  DestroyWindow(window);
}
