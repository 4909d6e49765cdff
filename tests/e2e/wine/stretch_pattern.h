// Measures which source column and row StretchBlt takes for every
// destination column and row, from four stretched 8-bit pictures (passes),
// each carrying one byte of the column or of the row in every pixel, with a
// colour table whose colours name their index. Shared by the Windows dump
// program and the native comparison so both stretch exactly the same bits
// and describe the result in the same line.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "winapi.h"

namespace stretch_pattern {

// Passes 0 and 1 carry the column's low and high byte, 2 and 3 the row's.
constexpr int kPasses = 4;
inline bool ByColumn(int pass) { return pass < 2; }
inline int Shift(int pass) { return (pass & 1) * 8; }

// Colour (0x00RRGGBB) of index i: red carries i, green and blue check it.
inline uint32_t IndexColour(int i) {
  return (static_cast<uint32_t>(i) << 16) |
         (static_cast<uint32_t>(255 - i) << 8) | 0x5Au;
}

// Copies a width x height picture of `pass` stretched into the destination
// rectangle of `target` the way the saver draws: a bitmap compatible with the
// target DC, built from a bottom-up 8-bit DIB with a 256-entry colour table,
// selected into a memory DC and copied with SRCCOPY. True when the copy ran.
inline bool StretchPicture(HDC target, int pass, int width, int height,
                           int dstX, int dstY, int dstW, int dstH) {
  constexpr std::size_t kBits = sizeof(BITMAPINFOHEADER) + 1024;
  const std::size_t stride = static_cast<std::size_t>((width + 3) & ~3);
  std::vector<unsigned char> bytes(
      kBits + stride * static_cast<std::size_t>(height), 0);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 8;
  header.biCompression = BI_RGB;
  std::memcpy(bytes.data(), &header, sizeof header);
  for (int i = 0; i < 256; ++i) {
    const uint32_t colour = IndexColour(i); // as RGBQUAD: blue first
    std::memcpy(&bytes[sizeof header + static_cast<std::size_t>(i) * 4],
                &colour, 4);
  }
  for (int y = 0; y < height; ++y) {
    unsigned char *row = bytes.data() + kBits +
                         static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      row[x] =
          static_cast<unsigned char>((ByColumn(pass) ? x : y) >> Shift(pass));
    }
  }
  const auto *info = reinterpret_cast<const BITMAPINFO *>(bytes.data());
  HBITMAP bitmap = CreateDIBitmap(target, &info->bmiHeader, CBM_INIT,
                                  bytes.data() + kBits, info, DIB_RGB_COLORS);
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

struct Case {
  int srcW, srcH, dstX, dstY, dstW, dstH, surfW, surfH;
};

constexpr uint32_t kUntouched = 0x00FF00FF;

// Stretches one pass onto `dc` and folds what each destination column (or
// row) shows into `out`; false when a column (row) did not come from one
// source column (row) on every row (column), a pixel outside the
// destination changed or a colour is not from the source table. `clear`
// sets the surfW x surfH target to kUntouched; `pixels` reads it back, row 0
// on top, 0x00RRGGBB.
template <typename Clear, typename Pixels>
bool MeasurePass(HDC dc, const Case &c, int pass, std::vector<int> &out,
                 Clear clear, Pixels pixels) {
  clear();
  bool good =
      StretchPicture(dc, pass, c.srcW, c.srcH, c.dstX, c.dstY, c.dstW, c.dstH);
  const uint32_t *shown = pixels();
  std::vector<int> seen(out.size(), -1);
  for (int y = 0; good && y < c.surfH; ++y) {
    for (int x = 0; x < c.surfW; ++x) {
      const uint32_t p = shown[y * c.surfW + x];
      const int dx = x - c.dstX;
      const int dy = y - c.dstY;
      if (dx < 0 || dy < 0 || dx >= c.dstW || dy >= c.dstH) {
        good = good && p == kUntouched;
        continue;
      }
      const int value = static_cast<int>((p >> 16) & 255);
      good = good && p == IndexColour(value);
      int &slot = seen[static_cast<std::size_t>(ByColumn(pass) ? dx : dy)];
      good = good && (slot < 0 || slot == value);
      slot = value;
    }
  }
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = seen[i] < 0 ? -1 : out[i] | (seen[i] << Shift(pass));
  }
  return good;
}

// The dump's line for case `c` (see stretch_dump.cpp), without line end.
// `good` is false when the target could not be made.
template <typename Clear, typename Pixels>
std::string MeasureLine(HDC dc, bool good, const Case &c, Clear clear,
                        Pixels pixels) {
  std::vector<int> cols(static_cast<std::size_t>(c.dstW), 0);
  std::vector<int> rows(static_cast<std::size_t>(c.dstH), 0);
  for (int pass = 0; pass < kPasses; ++pass) {
    good = good && MeasurePass(dc, c, pass, ByColumn(pass) ? cols : rows, clear,
                               pixels);
  }
  std::string line = "stretch";
  const auto add = [&line](const std::vector<int> &values) {
    for (int v : values) {
      line.append(" ").append(std::to_string(v));
    }
  };
  add({c.srcW, c.srcH, c.dstX, c.dstY, c.dstW, c.dstH, c.surfW, c.surfH});
  line += good ? " ok cols" : " bad cols";
  add(cols);
  line += " rows";
  add(rows);
  return line;
}

} // namespace stretch_pattern
