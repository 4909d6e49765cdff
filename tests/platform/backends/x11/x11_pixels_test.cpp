// Packing pixels into X images as the X11 backend does. No server needed:
// XInitImage gives the images Xlib's own accessors, which also read back
// what the fast paths wrote.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "backends/x11/pixels.h"

namespace {

using platform::detail::x11::Channel;
using platform::detail::x11::MachineOrder;
using platform::detail::x11::ReadPixel;
using platform::detail::x11::WritePixel;

TEST(Channel, PutsTheTopBitsInPlaceAndGetsThemBackFilled) {
  struct Case {
    unsigned long mask;
    int shift, bits;
  };
  // 565 and 555 at 16 bits, 888 at 24, 10-bit channels at 30.
  for (const Case c :
       {Case{0xF800, 11, 5}, Case{0x07E0, 5, 6}, Case{0x7C00, 10, 5},
        Case{0x001F, 0, 5}, Case{0xFF0000, 16, 8}, Case{0x3FF00000, 20, 10}}) {
    const Channel channel(c.mask);
    ASSERT_EQ(channel.shift, c.shift) << c.mask;
    ASSERT_EQ(channel.bits, c.bits) << c.mask;
    EXPECT_EQ(channel.Put(0), 0u);
    EXPECT_EQ(channel.Put(0xFF) | c.mask, c.mask) << "spills out of the mask";
    EXPECT_EQ(channel.Get(c.mask), 0xFFu);
    EXPECT_EQ(channel.Get(~c.mask), 0u) << "reads other channels";
    for (uint32_t value = 0; value < 256; ++value) {
      const uint32_t back = channel.Get(channel.Put(value));
      // The bits the channel holds survive; the rest repeat them, so full
      // scale stays full scale.
      const int kept = c.bits < 8 ? c.bits : 8;
      ASSERT_EQ(back >> (8 - kept), value >> (8 - kept)) << c.mask;
      ASSERT_EQ(channel.Get(channel.Put(back)), back) << c.mask;
    }
  }
  // Five bits 10000 fill to 10000100.
  EXPECT_EQ(Channel(0xF800).Get(0x8000), 0x84u);
  const Channel none(0);
  EXPECT_EQ(none.Put(0xFF), 0u);
  EXPECT_EQ(none.Get(0xFFFFFFFF), 0u);
}

// A ZPixmap image of 5 x 3 pixels over memory of the test's own.
struct Image {
  Image(int bitsPerPixel, int depth, int byteOrder) {
    image.width = 5;
    image.height = 3;
    image.format = ZPixmap;
    image.byte_order = byteOrder;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = byteOrder;
    image.bitmap_pad = 32;
    image.depth = depth;
    image.bits_per_pixel = bitsPerPixel;
    EXPECT_NE(XInitImage(&image), 0);
    bytes.assign(static_cast<std::size_t>(image.bytes_per_line) * 3, 0x5A);
    image.data = bytes.data();
  }
  char *Line(int row) { return image.data + row * image.bytes_per_line; }
  std::vector<char> bytes;
  XImage image{};
};

TEST(XImagePixels, WriteInTheImagesByteOrderAndReadBack) {
  struct Layout {
    int bitsPerPixel, depth;
    uint32_t pixel;
  };
  // 8-bit colormap indices, 16-bit 565, packed 24-bit, 24-bit in 32.
  for (const Layout l :
       {Layout{8, 8, 0xA7}, Layout{16, 16, 0xBEEF}, Layout{24, 24, 0x123456},
        Layout{32, 24, 0x00ABCDEF}}) {
    for (const int order : {LSBFirst, MSBFirst}) {
      SCOPED_TRACE(testing::Message()
                   << l.bitsPerPixel << " bits, "
                   << (order == LSBFirst ? "LSB" : "MSB") << " first");
      Image picture(l.bitsPerPixel, l.depth, order);
      XImage *image = &picture.image;
      WritePixel(image, picture.Line(2), 3, l.pixel);
      WritePixel(image, picture.Line(1), 0, l.pixel ^ 0x11);
      EXPECT_EQ(ReadPixel(image, 3, 2), l.pixel);
      EXPECT_EQ(ReadPixel(image, 0, 1), l.pixel ^ 0x11);
      // Xlib's own accessor agrees on what went where.
      EXPECT_EQ(XGetPixel(image, 3, 2), l.pixel);
      const int bytesPerPixel = l.bitsPerPixel / 8;
      const auto *at = reinterpret_cast<const unsigned char *>(
          picture.Line(2) + 3 * bytesPerPixel);
      for (int i = 0; i < bytesPerPixel; ++i) {
        const int shift = 8 * (order == LSBFirst ? i : bytesPerPixel - 1 - i);
        EXPECT_EQ(at[i], (l.pixel >> shift) & 0xFF) << "byte " << i;
      }
      // The neighbours are untouched.
      EXPECT_EQ(static_cast<unsigned char>(at[-1]), 0x5A);
      EXPECT_EQ(static_cast<unsigned char>(at[bytesPerPixel]), 0x5A);
      // Xlib's writes read back through ours.
      XPutPixel(image, 4, 0, l.pixel ^ 0x22);
      EXPECT_EQ(ReadPixel(image, 4, 0), l.pixel ^ 0x22);
    }
  }
}

TEST(XImagePixels, MachineOrderIsThisMachines) {
  Image little(32, 24, LSBFirst), big(32, 24, MSBFirst);
  const bool littleEndian = std::endian::native == std::endian::little;
  EXPECT_EQ(MachineOrder(&little.image), littleEndian);
  EXPECT_EQ(MachineOrder(&big.image), !littleEndian);
}

} // namespace
