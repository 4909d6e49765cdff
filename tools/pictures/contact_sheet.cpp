// gushmire-contact-sheet: one PNG showing the twelve bitmaps, both icon
// images and the 256 colours of paletteTable, for looking at the art.
// Usage: gushmire-contact-sheet <assets directory> <output.png> [<dir>]
// With a third argument it also writes each picture there as a PNG.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bmp.h"
#include "lettering.h"
#include "palette_table.h"
#include "png_io.h"
#include "quantize.h"

namespace {

using namespace pictures;

const Rgb kBackground{0.16, 0.16, 0.17};

bool WriteImage(const std::string &path, const Image &image) {
  std::vector<uint32_t> pixels;
  pixels.reserve(image.pixels.size());
  for (const Rgb &p : image.pixels) {
    const Colour8 c = ToColour8(p);
    pixels.push_back(static_cast<uint32_t>(c.r) << 16 |
                     static_cast<uint32_t>(c.g) << 8 | c.b);
  }
  return WritePng(path, image.width, image.height, pixels.data());
}
const Rgb kLabel{0.85, 0.85, 0.85};

Image ToImage(const Bitmap8 &b) {
  Image out(b.width, b.height);
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) {
      const Colour8 &c =
          b.table[b.indices[static_cast<std::size_t>(y * b.width + x)]];
      out.At(x, y) = {c.r / 255.0, c.g / 255.0, c.b / 255.0};
    }
  return out;
}

void Paste(Image &sheet, const Image &picture, int left, int top,
           int scale = 1) {
  for (int y = 0; y < picture.height * scale; ++y)
    for (int x = 0; x < picture.width * scale; ++x)
      if (left + x < sheet.width && top + y < sheet.height)
        sheet.At(left + x, top + y) = picture.At(x / scale, y / scale);
}

void Label(Image &sheet, const std::string &text, int left, int baseline) {
  Mask mask(sheet.width, sheet.height);
  const int width = 600;
  DrawText(mask, kSansBold, 14, width, text, left + width / 2, baseline);
  // DrawText centres; shift so the text starts at `left`.
  int first = sheet.width;
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x)
      if (mask.At(x, y) > 0)
        first = std::min(first, x);
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x) {
      const double m = mask.At(x, y);
      const int tx = x - first + left;
      if (m > 0 && tx >= 0 && tx < sheet.width)
        sheet.At(tx, y) = Mix(sheet.At(tx, y), kLabel, m);
    }
}

uint32_t Le32(const std::vector<uint8_t> &d, std::size_t at) {
  return d[at] | static_cast<uint32_t>(d[at + 1]) << 8 |
         static_cast<uint32_t>(d[at + 2]) << 16 |
         static_cast<uint32_t>(d[at + 3]) << 24;
}

// The 4-bit images of an .ico file, transparent pixels shown as `behind`.
std::vector<Image> ReadIcons(const std::string &path, Rgb behind) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> d((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
  std::vector<Image> out;
  if (d.size() < 6)
    return out;
  const int count = d[4] | d[5] << 8;
  for (int i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
    if (entry + 16 > d.size())
      break;
    const int size = d[entry] == 0 ? 256 : d[entry];
    const std::size_t at = Le32(d, entry + 12);
    const std::size_t colourRow =
        static_cast<std::size_t>((size * 4 + 31) / 32 * 4);
    const std::size_t maskRow = static_cast<std::size_t>((size + 31) / 32 * 4);
    const std::size_t pixels = at + 40 + 64;
    const std::size_t masks =
        pixels + colourRow * static_cast<std::size_t>(size);
    if (d[entry + 4] != 1 || d[entry + 6] != 4 ||
        masks + maskRow * static_cast<std::size_t>(size) > d.size())
      continue;
    Image image(size, size);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const auto row = static_cast<std::size_t>(size - 1 - y);
        const auto ux = static_cast<std::size_t>(x);
        const uint8_t byte = d[pixels + row * colourRow + ux / 2];
        const int index = (x % 2 == 0) ? byte >> 4 : byte & 15;
        const bool clear =
            (d[masks + row * maskRow + ux / 8] >> (7 - x % 8)) & 1;
        const std::size_t c = at + 40 + 4 * static_cast<std::size_t>(index);
        image.At(x, y) =
            clear ? behind
                  : Rgb{d[c + 2] / 255.0, d[c + 1] / 255.0, d[c] / 255.0};
      }
    out.push_back(image);
  }
  return out;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <assets directory> <output.png> [<dir>]\n",
                 argv[0]);
    return 2;
  }
  const std::string assets = argv[1];
  const char *names[] = {"SPLASH1", "SPLASH2", "BLOOD1", "BLOOD2",
                         "BLOOD3",  "BLOOD4",  "BLOOD5", "PUS1",
                         "PUS2",    "PUS3",    "PUS4",   "PUS5"};
  constexpr int kGap = 20;
  constexpr int kLabelHeight = 22;
  Image sheet(kGap * 3 + 640 * 2, 1320, kBackground);
  int top = kGap;
  for (int i = 0; i < 12; ++i) {
    Bitmap8 bitmap;
    const std::string path = assets + "/bitmaps/" + names[i] + ".bmp";
    if (!ReadBmp(path, bitmap)) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      return 1;
    }
    const Image picture = ToImage(bitmap);
    if (argc > 3)
      WriteImage(std::string(argv[3]) + "/" + names[i] + ".png", picture);
    int left = 0;
    if (i < 2) {
      left = kGap + i * (640 + kGap);
    } else {
      const int column = (i - 2) % 5;
      if (column == 0)
        top = i == 2 ? kGap + kLabelHeight + 480 + kGap
                     : top + kLabelHeight + 200 + kGap;
      left = kGap + column * (200 + kGap + 24);
    }
    Label(sheet, names[i], left, top + 15);
    Paste(sheet, picture, left, top + kLabelHeight);
  }
  top += kLabelHeight + 200 + kGap;
  Label(sheet, "paletteTable", kGap, top + 15);
  const int swatch = 26;
  for (int i = 0; i < 256; ++i) {
    const auto at = static_cast<std::size_t>(i) * 3;
    const Rgb c{paletteTable[at + 2] / 255.0, paletteTable[at + 1] / 255.0,
                paletteTable[at] / 255.0};
    const int x0 = kGap + (i % 32) * swatch;
    const int y0 = top + kLabelHeight + (i / 32) * swatch;
    for (int y = 1; y < swatch - 1; ++y)
      for (int x = 1; x < swatch - 1; ++x)
        sheet.At(x0 + x, y0 + y) = c;
  }
  const int iconLeft = kGap + 32 * swatch + 3 * kGap;
  Label(sheet, "icon", iconLeft, top + 15);
  int x = iconLeft;
  for (const Image &icon :
       ReadIcons(assets + "/icon/gushmire.ico", kBackground)) {
    Paste(sheet, icon, x, top + kLabelHeight, 4);
    Paste(sheet, icon, x, top + kLabelHeight + icon.height * 4 + 10);
    x += icon.width * 4 + kGap;
  }
  sheet = [&] {
    Image cropped(sheet.width, top + kLabelHeight + 8 * swatch + kGap);
    for (int y = 0; y < cropped.height; ++y)
      for (int xx = 0; xx < cropped.width; ++xx)
        cropped.At(xx, y) = sheet.At(xx, y);
    return cropped;
  }();
  if (!WriteImage(argv[2], sheet)) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
