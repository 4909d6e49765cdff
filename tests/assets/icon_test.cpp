// Icon group 100 and its two images, and the committed .ico file that the
// resource compiler copies them from.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "embedded_lookup.h"
#include "ico_format.h"

namespace {

using assets_test::Fields;

constexpr WORD kIconType = 3;
constexpr WORD kGroupIconType = 14;

struct ImageSpec {
  WORD id;
  int size;
  std::uint32_t bytes;
};
constexpr ImageSpec kImages[] = {{1, 32, 744}, {2, 16, 296}};

TEST(IconGroup, ListsTheLargeImageFirst) {
  const platform::EmbeddedResource *group =
      assets_test::Find(kGroupIconType, 100);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->size, 34u);
  EXPECT_EQ(group->language, 0x0409);
  Fields f(*group);
  EXPECT_EQ(f.U16(), 0) << "reserved";
  EXPECT_EQ(f.U16(), 1) << "icon, not cursor";
  EXPECT_EQ(f.U16(), 2) << "image count";
  for (const ImageSpec &image : kImages) {
    SCOPED_TRACE("image " + std::to_string(image.id));
    EXPECT_EQ(f.U8(), image.size) << "width";
    EXPECT_EQ(f.U8(), image.size) << "height";
    EXPECT_EQ(f.U8(), 16) << "colour count";
    EXPECT_EQ(f.U8(), 0) << "reserved";
    EXPECT_EQ(f.U16(), 1) << "planes";
    EXPECT_EQ(f.U16(), 4) << "bits per pixel";
    EXPECT_EQ(f.U32(), image.bytes);
    EXPECT_EQ(f.U16(), image.id);
  }
  EXPECT_EQ(f.left(), 0u);
}

// Pixel (x, y), y = 0 at the top, of an icon image: its 4-bit colour index
// and whether its AND-mask bit is set (transparent). Rows are stored bottom
// first; mask rows are padded to 4 bytes.
struct Pixel {
  int colour;
  bool transparent;
};

Pixel PixelAt(const platform::EmbeddedResource &image, int size, int x, int y) {
  const auto n = static_cast<std::size_t>(size);
  const std::size_t row = n - 1 - static_cast<std::size_t>(y);
  const auto ux = static_cast<std::size_t>(x);
  const std::size_t colourRow = n / 2;
  const std::size_t maskRow = (n / 8 + 3) / 4 * 4;
  const std::size_t colours = 40 + 64;
  const std::size_t mask = colours + colourRow * n;
  const unsigned char pair = image.data[colours + row * colourRow + ux / 2];
  const unsigned char bits = image.data[mask + row * maskRow + ux / 8];
  return {ux % 2 == 0 ? pair >> 4 : pair & 15, (bits & (0x80 >> ux % 8)) != 0};
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
    const platform::EmbeddedResource *image =
        assets_test::Find(kIconType, spec.id);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->language, 0x0409);
    ASSERT_EQ(image->size, spec.bytes);
    Fields f(*image);
    const auto n = static_cast<std::uint32_t>(spec.size);
    EXPECT_EQ(f.U32(), 40u);
    EXPECT_EQ(f.I32(), spec.size);
    EXPECT_EQ(f.I32(), 2 * spec.size) << "colour image and mask";
    EXPECT_EQ(f.U16(), 1);
    EXPECT_EQ(f.U16(), 4);
    EXPECT_EQ(f.U32(), 0u) << "uncompressed";
    EXPECT_EQ(f.U32(), n * n / 2 + (n / 8 + 3) / 4 * 4 * n)
        << "colour and mask bytes";
    f.U32();
    f.U32();
    EXPECT_EQ(f.U32(), 0u) << "all 16 colours";
    EXPECT_EQ(f.U32(), 0u);
    EXPECT_TRUE(
        std::equal(std::begin(standard), std::end(standard), image->data + 40));

    // The pool along the top edge is solid; the bottom corners, away from
    // the drips, show through; under the mask the colour is black, so the
    // image draws cleanly with AND then XOR.
    int opaque = 0, transparent = 0;
    for (int y = 0; y < spec.size; ++y)
      for (int x = 0; x < spec.size; ++x) {
        const Pixel p = PixelAt(*image, spec.size, x, y);
        if (y == 0) {
          EXPECT_FALSE(p.transparent) << "top row, x " << x;
        }
        if (p.transparent) {
          EXPECT_EQ(p.colour, 0) << "x " << x << ", y " << y;
        }
        ++(p.transparent ? transparent : opaque);
      }
    EXPECT_TRUE(PixelAt(*image, spec.size, 0, spec.size - 1).transparent);
    EXPECT_GT(transparent, opaque) << "mostly background";
  }
}

std::vector<unsigned char> ReadIcoFile() {
  std::ifstream in(GUSHMIRE_ICON_FILE, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(IconFile, CommittedFileMatchesTheDrawingAndTheResources) {
  const std::vector<unsigned char> file = ReadIcoFile();
  const std::vector<std::uint8_t> drawn =
      icon::EncodeIconFile({icon::largeArt, icon::smallArt});
  EXPECT_TRUE(file == drawn)
      << "assets/icon/gushmire.ico is stale: rerun gushmire_make_icon";

  // The resource compiler copies each image verbatim from the file.
  ASSERT_EQ(file.size(), 6u + 2 * 16 + 744 + 296);
  const std::size_t offsets[] = {38, 38 + 744};
  for (std::size_t i = 0; i < 2; ++i) {
    const platform::EmbeddedResource *image =
        assets_test::Find(kIconType, kImages[i].id);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(
        std::equal(image->data, image->data + image->size,
                   file.begin() + static_cast<std::ptrdiff_t>(offsets[i])));
  }
}

TEST(IconEncoder, RejectsMalformedPictures) {
  const char *const shortRow[16] = {"................", "..."};
  EXPECT_THROW(icon::EncodeIconImage({shortRow, 16}), std::invalid_argument);
  const char *rows[16];
  for (auto &row : rows)
    row = "................";
  EXPECT_NO_THROW(icon::EncodeIconImage({rows, 16}));
  EXPECT_THROW(icon::EncodeIconImage({rows, 8}), std::invalid_argument);
  EXPECT_THROW(icon::EncodeIconImage({rows, 0}), std::invalid_argument);
  rows[5] = ".......X........";
  EXPECT_THROW(icon::EncodeIconImage({rows, 16}), std::invalid_argument);
  rows[5] = nullptr;
  EXPECT_THROW(icon::EncodeIconImage({rows, 16}), std::invalid_argument);
}

} // namespace
