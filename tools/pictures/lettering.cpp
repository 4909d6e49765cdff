#include "lettering.h"
#include "mathx.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <stdexcept>

#include "noise.h"

namespace pictures {

const char *const kSerifBold =
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf";
const char *const kSansBold =
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

namespace {

struct Library {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  Library(const char *fontPath) {
    if (FT_Init_FreeType(&library) != 0)
      throw std::runtime_error("cannot start FreeType");
    if (FT_New_Face(library, fontPath, 0, &face) != 0) {
      FT_Done_FreeType(library);
      throw std::runtime_error(std::string("cannot load font ") + fontPath);
    }
  }
  ~Library() {
    FT_Done_Face(face);
    FT_Done_FreeType(library);
  }
  Library(const Library &) = delete;
  Library &operator=(const Library &) = delete;
};

// Pen advance of `text` in pixels at the face's current size.
int Advance(FT_Face face, const std::string &text, int tracking) {
  int width = 0;
  FT_UInt previous = 0;
  for (unsigned char ch : text) {
    const FT_UInt glyph = FT_Get_Char_Index(face, ch);
    if (previous != 0) {
      FT_Vector kern{};
      FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern);
      width += static_cast<int>(kern.x >> 6);
    }
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING) == 0)
      width += static_cast<int>(face->glyph->advance.x >> 6) + tracking;
    previous = glyph;
  }
  return width - tracking;
}

} // namespace

TextBox DrawText(Mask &mask, const char *fontPath, int pixelSize, int maxWidth,
                 const std::string &text, int centreX, int baseline,
                 int tracking) {
  Library ft(fontPath);
  int size = pixelSize;
  FT_Set_Pixel_Sizes(ft.face, 0, static_cast<FT_UInt>(size));
  while (size > 6 && Advance(ft.face, text, tracking) > maxWidth) {
    --size;
    FT_Set_Pixel_Sizes(ft.face, 0, static_cast<FT_UInt>(size));
  }
  int pen = centreX - Advance(ft.face, text, tracking) / 2;
  TextBox box{mask.width, mask.height, 0, 0};
  FT_UInt previous = 0;
  for (unsigned char ch : text) {
    const FT_UInt glyph = FT_Get_Char_Index(ft.face, ch);
    if (previous != 0) {
      FT_Vector kern{};
      FT_Get_Kerning(ft.face, previous, glyph, FT_KERNING_DEFAULT, &kern);
      pen += static_cast<int>(kern.x >> 6);
    }
    previous = glyph;
    if (FT_Load_Glyph(ft.face, glyph, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0)
      continue;
    const FT_GlyphSlot slot = ft.face->glyph;
    const FT_Bitmap &bm = slot->bitmap;
    const int x0 = pen + slot->bitmap_left;
    const int y0 = baseline - slot->bitmap_top;
    for (unsigned row = 0; row < bm.rows; ++row)
      for (unsigned col = 0; col < bm.width; ++col) {
        const int x = x0 + static_cast<int>(col);
        const int y = y0 + static_cast<int>(row);
        const double v =
            bm.buffer[static_cast<std::ptrdiff_t>(row) * bm.pitch + col] /
            255.0;
        if (x < 0 || y < 0 || x >= mask.width || y >= mask.height || v <= 0)
          continue;
        mask.At(x, y) = std::max(mask.At(x, y), v);
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
    pen += static_cast<int>(slot->advance.x >> 6) + tracking;
  }
  return box;
}

namespace {

// Signed distance to a drip: a tapering run with a fillet where it leaves
// the letter and a round bead at the end.
double DripDistance(double px, double py, double x, double y, double length,
                    double width) {
  const double t = Clamp01((py - y) / length);
  const double along = std::clamp(py, y, y + length);
  const double fillet = width * 1.6 * Pow(Clamp01(1 - (py - y) / 7.0), 2.0);
  const double half = width * (1 - 0.3 * t) + fillet;
  const double run = Hypot(px - x, py - along) - half;
  const double bead = Hypot(px - x, py - (y + length)) - width * 1.3;
  return std::min(run, bead);
}

} // namespace

void AddDrips(Mask &mask, int top, int bottom, double maxLength,
              uint32_t seed) {
  Sequence rng(seed);
  const Mask source = mask;
  int lastDrip = -100;
  for (int x = 2; x < mask.width - 2; ++x) {
    // The lowest solid, fairly flat underside in this column.
    int edge = -1;
    for (int y = std::max(top, 1); y < std::min(bottom, mask.height - 1); ++y)
      if (source.Get(x, y) > 0.5 && source.Get(x, y + 1) < 0.5 &&
          source.Get(x - 2, y) > 0.5 && source.Get(x + 2, y) > 0.5)
        edge = y;
    if (edge < 0 || x - lastDrip < 11 || rng.Next() > 0.3)
      continue;
    lastDrip = x;
    const double r = rng.Next();
    const double length = 6 + maxLength * r * r;
    const double width = rng.Range(2.2, 4.5);
    const double y0 = edge - 1.0;
    const int x0 = x - 16;
    const int x1 = x + 16;
    const int y1 = std::min(mask.height - 1,
                            static_cast<int>(y0 + length + width * 2) + 2);
    for (int py = edge - 2; py <= y1; ++py)
      for (int px = std::max(0, x0); px <= std::min(mask.width - 1, x1); ++px) {
        const double d =
            DripDistance(px + 0.5, py + 0.5, x + 0.5, y0, length, width);
        const double cover = Clamp01(0.5 - d);
        if (py >= 0 && cover > 0)
          mask.At(px, py) = std::max(mask.At(px, py), cover);
      }
  }
}

} // namespace pictures
