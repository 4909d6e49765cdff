// Icon group 100 and its two images, and the committed .ico file that the
// resource compiler copies them from.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "embedded_lookup.h"
#include "ico_format.h"

namespace {

using assets_test::ExpectFields;

struct ImageSpec {
  WORD id;
  std::uint32_t size, bytes;
};
constexpr ImageSpec kImages[] = {{1, 32, 744}, {2, 16, 296}};

TEST(IconGroup, ListsTheLargeImageFirst) {
  const std::vector<std::uint8_t> group = assets_test::Bytes(14, 100);
  assets_test::Fields f(group);
  ExpectFields(f, "222", {0, 1, 2}); // reserved, icon, two images
  for (const ImageSpec &image : kImages) {
    // Width, height, 16 colours, reserved, planes, bits, bytes, id.
    ExpectFields(f, "11112242",
                 {image.size, image.size, 16, 0, 1, 4, image.bytes, image.id});
  }
  EXPECT_EQ(f.left(), 0u);
}

TEST(IconImages, HeaderStandardColoursAndMask) {
  // The system's 16 colours as blue, green, red, 0.
  const unsigned char standard[64] = {
      0,   0,   0,   0, 0,   0, 128, 0, 0,   128, 0, 0, 0,   128, 128, 0,
      128, 0,   0,   0, 128, 0, 128, 0, 128, 128, 0, 0, 192, 192, 192, 0,
      128, 128, 128, 0, 0,   0, 255, 0, 0,   255, 0, 0, 0,   255, 255, 0,
      255, 0,   0,   0, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 0};
  for (const ImageSpec &spec : kImages) {
    SCOPED_TRACE("image " + std::to_string(spec.id));
    const std::vector<std::uint8_t> image = assets_test::Bytes(3, spec.id);
    const std::uint32_t n = spec.size, maskRow = (n / 8 + 3) / 4 * 4;
    ASSERT_EQ(image.size(), spec.bytes);
    assets_test::Fields f(image);
    // Colour image and mask: doubled height; uncompressed.
    ExpectFields(f, "444224", {40, n, 2 * n, 1, 4, 0});
    EXPECT_EQ(f.U32(), n * n / 2 + maskRow * n) << "colour and mask bytes";
    f.U32(); // resolution
    f.U32();
    ExpectFields(f, "44", {0, 0}); // all 16 colours used and important
    EXPECT_TRUE(std::equal(std::begin(standard), std::end(standard),
                           image.begin() + 40));
    ASSERT_EQ(image.size(), 104 + n * n / 2 + maskRow * n);

    // The pool along the top edge is solid; the bottom corner, away from
    // the drips, shows through; under the mask the colour is black, so the
    // image draws cleanly with AND then XOR. Rows are stored bottom first.
    int opaque = 0, transparent = 0;
    for (std::uint32_t y = 0; y < n; ++y)
      for (std::uint32_t x = 0; x < n; ++x) {
        const std::uint32_t row = n - 1 - y;
        const int pair = image[104 + row * n / 2 + x / 2];
        const int colour = x % 2 ? pair & 15 : pair >> 4;
        const bool clear =
            image[104 + n * n / 2 + row * maskRow + x / 8] & (0x80 >> x % 8);
        EXPECT_FALSE(clear && (y == 0 || colour != 0)) << x << ", " << y;
        ++(clear ? transparent : opaque);
        if (x == 0 && y == n - 1) {
          EXPECT_TRUE(clear) << "bottom left corner";
        }
      }
    EXPECT_GT(transparent, opaque) << "mostly background";
  }
}

TEST(IconFile, CommittedFileMatchesTheDrawingAndTheResources) {
  std::ifstream in(GUSHMIRE_ICON_FILE, std::ios::binary);
  const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  EXPECT_TRUE(file == icon::EncodeIconFile({icon::largeArt, icon::smallArt}))
      << "assets/icon/gushmire.ico is stale: rerun gushmire_make_icon";
  // The resource compiler copies each image verbatim from the file.
  ASSERT_EQ(file.size(), 6u + 2 * 16 + 744 + 296);
  const std::vector<std::uint8_t> large = assets_test::Bytes(3, 1);
  const std::vector<std::uint8_t> small = assets_test::Bytes(3, 2);
  EXPECT_TRUE(std::equal(file.begin() + 38, file.end() - 296, large.begin(),
                         large.end()));
  EXPECT_TRUE(
      std::equal(file.end() - 296, file.end(), small.begin(), small.end()));
}

} // namespace
