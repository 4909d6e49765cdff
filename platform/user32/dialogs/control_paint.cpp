// Control drawing for dialogs. Text goes through FreeType with DejaVu Sans,
// the one face the native build can count on; glyph coverage is blended
// over what is already drawn.
#include "user32/dialogs/control_paint.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "core/backend.h"
#include "core/framebuffer.h"
#include "core/text.h"
#include "gdi32/gdi_objects.h"
#include "user32/window.h"

namespace platform::detail {
namespace {

constexpr const char *kFontPath =
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int kMaxPoints = 72;

// Pixels of one window, clipped to where it shows on the display.
class Canvas {
public:
  explicit Canvas(HWND window)
      : surface(WindowSurface(HandleValue(window))),
        framebuffer(TheFramebuffer()) {}
  ~Canvas() {
    if (drawn.left < drawn.right && drawn.top < drawn.bottom) {
      TheBackend().Present(
          RECT{drawn.left + surface.originX, drawn.top + surface.originY,
               drawn.right + surface.originX, drawn.bottom + surface.originY});
    }
  }
  Canvas(const Canvas &) = delete;
  Canvas &operator=(const Canvas &) = delete;

  // `coverage` 0..255 of `rgb` over what is there.
  void Blend(int x, int y, uint32_t rgb, int coverage = 255) {
    const RECT &v = surface.visible;
    if (x < v.left || x >= v.right || y < v.top || y >= v.bottom ||
        coverage <= 0) {
      return;
    }
    uint32_t &pixel =
        framebuffer.pixels[static_cast<std::size_t>(y + surface.originY) *
                               static_cast<std::size_t>(framebuffer.width) +
                           static_cast<std::size_t>(x + surface.originX)];
    uint32_t mixed = rgb;
    if (coverage < 255) {
      mixed = 0;
      for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t over = (rgb >> shift) & 0xFF;
        const uint32_t under = (pixel >> shift) & 0xFF;
        const uint32_t c = static_cast<uint32_t>(coverage);
        mixed |= ((over * c + under * (255 - c) + 127) / 255) << shift;
      }
    }
    pixel = ShownColour(mixed);
    drawn.left = std::min<LONG>(drawn.left, x);
    drawn.top = std::min<LONG>(drawn.top, y);
    drawn.right = std::max<LONG>(drawn.right, x + 1);
    drawn.bottom = std::max<LONG>(drawn.bottom, y + 1);
  }

private:
  Surface surface;
  Framebuffer &framebuffer;
  RECT drawn{1 << 30, 1 << 30, -(1 << 30), -(1 << 30)};
};

// The one FreeType face, sized for the last dialog font asked for.
struct Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  bool tried = false;
  int points = 0;
  ~Face() {
    if (face != nullptr) {
      FT_Done_Face(face);
    }
    if (library != nullptr) {
      FT_Done_FreeType(library);
    }
  }
};

Face &TheFace() {
  static Face face;
  return face;
}

FT_Face FaceAt(int points) {
  Face &f = TheFace();
  if (!f.tried) {
    f.tried = true;
    if (FT_Init_FreeType(&f.library) != 0 ||
        FT_New_Face(f.library, kFontPath, 0, &f.face) != 0) {
      f.face = nullptr;
    }
  }
  if (f.face == nullptr || points <= 0 || points > kMaxPoints) {
    return nullptr;
  }
  if (f.points != points) {
    if (FT_Set_Char_Size(f.face, 0, points * 64, 96, 96) != 0) {
      return nullptr;
    }
    f.points = points;
  }
  return f.face;
}

int Advance(FT_Face face, unsigned char c) {
  if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) != 0) {
    return 0;
  }
  return static_cast<int>((face->glyph->advance.x + 32) >> 6);
}

int TextWidth(FT_Face face, std::string_view text) {
  int width = 0;
  for (char c : text) {
    width += Advance(face, static_cast<unsigned char>(c));
  }
  return width;
}

// Breaks `text` into lines no wider than `width`: at '\n', else at the last
// space that fits; a word wider than the box stands on a line of its own.
std::vector<std::string> WrapLines(FT_Face face, std::string_view text,
                                   int width) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    const std::string_view paragraph = text.substr(
        start,
        end == std::string_view::npos ? std::string_view::npos : end - start);
    std::string line;
    std::size_t at = 0;
    while (at < paragraph.size()) {
      std::size_t next = paragraph.find(' ', at);
      next = next == std::string_view::npos ? paragraph.size() : next;
      const std::string_view word = paragraph.substr(at, next - at);
      const std::string joined =
          line.empty() ? std::string(word) : line + " " + std::string(word);
      if (!line.empty() && TextWidth(face, joined) > width) {
        lines.push_back(line);
        line = std::string(word);
      } else {
        line = joined;
      }
      at = next + 1;
    }
    lines.push_back(line);
    if (end == std::string_view::npos) {
      break;
    }
    start = end + 1;
  }
  return lines;
}

// Current dialog font size; 0 for none.
int &CurrentPoints() {
  static int points = 0;
  return points;
}

void Fill(Canvas &canvas, const RECT &r, uint32_t rgb) {
  for (LONG y = r.top; y < r.bottom; ++y) {
    for (LONG x = r.left; x < r.right; ++x) {
      canvas.Blend(x, y, rgb);
    }
  }
}

void Frame(Canvas &canvas, const RECT &r, uint32_t topLeft,
           uint32_t bottomRight) {
  Fill(canvas, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  Fill(canvas, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  Fill(canvas, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  Fill(canvas, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

uint16_t Word(const unsigned char *p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Dword(const unsigned char *p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

std::vector<unsigned char> ResourceBytes(HINSTANCE instance, LPCSTR name,
                                         LPCSTR type) {
  HRSRC found = FindResourceA(instance, name, type);
  if (found == nullptr) {
    return {};
  }
  HGLOBAL loaded = LoadResource(instance, found);
  const auto *data = static_cast<const unsigned char *>(LockResource(loaded));
  std::vector<unsigned char> bytes;
  if (data != nullptr) {
    bytes.assign(data, data + SizeofResource(instance, found));
  }
  FreeResource(loaded);
  return bytes;
}

// A DIB icon image: header, colour table, XOR rows, AND mask rows, both
// bottom-up and padded to 32 bits. 1, 4 and 8 bits per pixel.
bool DrawIconImage(Canvas &canvas, const std::vector<unsigned char> &image,
                   int x0, int y0) {
  if (image.size() < 40 || Dword(image.data()) < 40) {
    return false;
  }
  const uint32_t headerSize = Dword(image.data());
  const auto width = static_cast<int32_t>(Dword(image.data() + 4));
  const auto doubled = static_cast<int32_t>(Dword(image.data() + 8));
  const int bits = Word(image.data() + 14);
  if (width <= 0 || width > 256 || doubled <= 0 || doubled > 512 ||
      doubled % 2 != 0 || (bits != 1 && bits != 4 && bits != 8) ||
      headerSize > image.size()) {
    return false;
  }
  const int height = doubled / 2;
  uint32_t used = Dword(image.data() + 32);
  const uint32_t colours =
      used != 0 && used <= (1u << bits) ? used : 1u << bits;
  const std::size_t table = headerSize;
  const std::size_t xorAt = table + colours * 4;
  const std::size_t xorStride =
      ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
  const std::size_t andAt =
      xorAt + xorStride * static_cast<std::size_t>(height);
  const std::size_t andStride =
      ((static_cast<std::size_t>(width) + 31) / 32) * 4;
  if (andAt + andStride * static_cast<std::size_t>(height) > image.size()) {
    return false;
  }
  for (int row = 0; row < height; ++row) {
    const std::size_t stored = static_cast<std::size_t>(height - 1 - row);
    const unsigned char *pixels = image.data() + xorAt + stored * xorStride;
    const unsigned char *mask = image.data() + andAt + stored * andStride;
    for (int col = 0; col < width; ++col) {
      if (mask[col / 8] & (0x80 >> (col % 8))) {
        continue; // transparent
      }
      const int bit = col * bits;
      const unsigned index =
          (pixels[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
      if (index >= colours) {
        continue;
      }
      const unsigned char *entry = image.data() + table + index * 4;
      const uint32_t rgb = static_cast<uint32_t>(entry[2]) << 16 |
                           static_cast<uint32_t>(entry[1]) << 8 | entry[0];
      canvas.Blend(x0 + col, y0 + row, rgb);
    }
  }
  return true;
}

} // namespace

std::optional<FontMetrics> DialogFont(std::string_view face, int points) {
  const std::string upper = UpperText(face);
  CurrentPoints() = 0;
  if (upper != "MS SHELL DLG" && upper != "MS SANS SERIF" &&
      upper != "TAHOMA") {
    return std::nullopt;
  }
  FT_Face f = FaceAt(points);
  if (f == nullptr) {
    return std::nullopt;
  }
  const int total =
      TextWidth(f, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  FontMetrics metrics{(total + 26) / 52,
                      static_cast<int>((f->size->metrics.height + 32) >> 6)};
  if (metrics.averageWidth <= 0 || metrics.lineHeight <= 0) {
    return std::nullopt;
  }
  CurrentPoints() = points;
  return metrics;
}

void DrawTextInBox(HWND window, std::string_view text, const RECT &box,
                   DWORD alignment, bool middle) {
  FT_Face face = CurrentPoints() == 0 ? nullptr : FaceAt(CurrentPoints());
  if (face == nullptr || box.right <= box.left) {
    return;
  }
  Canvas canvas(window);
  const int lineHeight =
      static_cast<int>((face->size->metrics.height + 32) >> 6);
  const int ascent = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
  const std::vector<std::string> lines =
      WrapLines(face, text, box.right - box.left);
  int top = box.top;
  if (middle) {
    top +=
        (box.bottom - box.top - lineHeight * static_cast<int>(lines.size())) /
        2;
  }
  for (const std::string &line : lines) {
    if (top >= box.bottom) {
      break;
    }
    const int width = TextWidth(face, line);
    int pen = box.left;
    if (alignment == SS_CENTER) {
      pen = box.left + (box.right - box.left - width) / 2;
    } else if (alignment == SS_RIGHT) {
      pen = box.right - width;
    }
    for (char c : line) {
      if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER) !=
          0) {
        continue;
      }
      const FT_GlyphSlot g = face->glyph;
      const FT_Bitmap &b = g->bitmap;
      for (unsigned row = 0; row < b.rows; ++row) {
        for (unsigned col = 0; col < b.width; ++col) {
          const int x = pen + g->bitmap_left + static_cast<int>(col);
          const int y = top + ascent - g->bitmap_top + static_cast<int>(row);
          if (x >= box.left && x < box.right && y >= box.top &&
              y < box.bottom) {
            canvas.Blend(x, y, 0x000000,
                         b.buffer[row * static_cast<unsigned>(b.pitch) + col]);
          }
        }
      }
      pen += static_cast<int>((g->advance.x + 32) >> 6);
    }
    top += lineHeight;
  }
}

bool DrawIconResource(HWND window, HINSTANCE instance, LPCSTR name, int x,
                      int y) {
  const std::vector<unsigned char> group =
      ResourceBytes(instance, name, RT_GROUP_ICON);
  if (group.size() < 6) {
    return false;
  }
  const std::size_t count = Word(group.data() + 4);
  if (6 + count * 14 > group.size() || count == 0) {
    return false;
  }
  // The 32x32 image; the first one when the group has none.
  std::size_t pick = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char *entry = group.data() + 6 + i * 14;
    if (entry[0] == 32 && entry[1] == 32) {
      pick = i;
      break;
    }
  }
  const WORD id = Word(group.data() + 6 + pick * 14 + 12);
  const std::vector<unsigned char> image =
      ResourceBytes(instance, MAKEINTRESOURCEA(id), RT_ICON);
  Canvas canvas(window);
  return DrawIconImage(canvas, image, x, y);
}

void DrawButtonFrame(HWND window, bool isDefault) {
  RECT r{};
  if (!GetClientRect(window, &r)) {
    return;
  }
  Canvas canvas(window);
  if (isDefault) {
    Frame(canvas, r, 0x000000, 0x000000);
    r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
  // Win32's raised edge: white and light outside, dark grey and black in.
  Frame(canvas, r, 0xFFFFFF, 0x000000);
  Frame(canvas, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1},
        0xE3E3E3, 0xA0A0A0);
}

} // namespace platform::detail
