// The source pictures whose stretched copies tell which source column and
// row each destination pixel came from: four 8-bit pictures, each carrying
// one byte of the column or of the row in every pixel, with a colour table
// whose colours name their index. Shared by the Windows dump program and the
// native comparison so both stretch exactly the same bits.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "winapi.h"

namespace stretch_pattern {

// Colour (0x00RRGGBB) of index i: red carries i, green and blue check it.
inline uint32_t IndexColour(int i) {
  return (static_cast<uint32_t>(i) << 16) |
         (static_cast<uint32_t>(255 - i) << 8) | 0x5Au;
}

// What a picture's pixels encode.
enum class Pass { ColumnLow, ColumnHigh, RowLow, RowHigh };
inline constexpr Pass kPasses[] = {Pass::ColumnLow, Pass::ColumnHigh,
                                   Pass::RowLow, Pass::RowHigh};

inline bool ByColumn(Pass pass) {
  return pass == Pass::ColumnLow || pass == Pass::ColumnHigh;
}
inline int Shift(Pass pass) {
  return pass == Pass::ColumnHigh || pass == Pass::RowHigh ? 8 : 0;
}
// The index that the pixel from source column x, row y carries.
inline int EncodedIndex(Pass pass, int x, int y) {
  return ((ByColumn(pass) ? x : y) >> Shift(pass)) & 255;
}

// A bitmap as the saver's resources hold it: header, 256-entry colour
// table, then bottom-up 8-bit rows.
struct Picture {
  std::vector<unsigned char> bytes;
  const BITMAPINFO *Info() const {
    return reinterpret_cast<const BITMAPINFO *>(bytes.data());
  }
  const void *Bits() const { return bytes.data() + kBitsOffset; }
  static constexpr std::size_t kBitsOffset = sizeof(BITMAPINFOHEADER) + 1024;
};

inline Picture MakePicture(int width, int height, Pass pass) {
  const std::size_t stride = static_cast<std::size_t>((width + 3) & ~3);
  Picture picture;
  picture.bytes.assign(
      Picture::kBitsOffset + stride * static_cast<std::size_t>(height), 0);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 8;
  header.biCompression = BI_RGB;
  std::memcpy(picture.bytes.data(), &header, sizeof header);
  for (int i = 0; i < 256; ++i) {
    const uint32_t colour = IndexColour(i); // as RGBQUAD: blue first
    std::memcpy(&picture.bytes[sizeof header + static_cast<std::size_t>(i) * 4],
                &colour, 4);
  }
  for (int y = 0; y < height; ++y) {
    unsigned char *row = picture.bytes.data() + Picture::kBitsOffset +
                         static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      row[x] = static_cast<unsigned char>(EncodedIndex(pass, x, y));
    }
  }
  return picture;
}

// Copies `picture` (width x height) stretched into the destination
// rectangle of `target` the way the saver draws: a bitmap compatible with the
// target DC, selected into a memory DC, copied with SRCCOPY. True when the
// copy ran.
inline bool StretchPicture(HDC target, const Picture &picture, int width,
                           int height, int dstX, int dstY, int dstW, int dstH) {
  const BITMAPINFO *info = picture.Info();
  HBITMAP bitmap = CreateDIBitmap(target, &info->bmiHeader, CBM_INIT,
                                  picture.Bits(), info, DIB_RGB_COLORS);
  HDC memory = CreateCompatibleDC(target);
  bool copied = false;
  if (bitmap && memory) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    if (previous) {
      copied = StretchBlt(target, dstX, dstY, dstW, dstH, memory, 0, 0, width,
                          height, SRCCOPY) != 0;
      SelectObject(memory, previous);
    }
  }
  if (memory) {
    DeleteDC(memory);
  }
  if (bitmap) {
    DeleteObject(bitmap);
  }
  return copied;
}

// FNV-1a over pixels (0x00RRGGBB), each as 4 little-endian bytes: compares
// whole drawings without recording them.
inline uint32_t Hash(const uint32_t *pixels, std::size_t count) {
  uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < count; ++i) {
    for (int shift = 0; shift < 32; shift += 8) {
      hash ^= (pixels[i] >> shift) & 0xFFu;
      hash *= 16777619u;
    }
  }
  return hash;
}

} // namespace stretch_pattern
