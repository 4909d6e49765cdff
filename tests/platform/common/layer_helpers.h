// Shared helpers for the platform layer tests: 8-bit DIB pictures and
// their drawing, a window on a fresh headless display, region rectangles.
#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "layer_headless.h"

namespace layer_test {

// A bitmap resource as the saver carries them: 40-byte header, 256-entry
// colour table, bottom-up 8-bit rows from byte 1064.
struct Dib {
  std::vector<unsigned char> bytes;
  const BITMAPINFOHEADER *header() const {
    return reinterpret_cast<const BITMAPINFOHEADER *>(bytes.data());
  }
  const BITMAPINFO *info() const {
    return reinterpret_cast<const BITMAPINFO *>(bytes.data());
  }
  const void *bits() const { return bytes.data() + 1064; }
};

// Colour i is 0x010000 * i + 0x0100 * (255 - i) + 7: all distinct.
inline uint32_t DistinctColour(int i) {
  return static_cast<uint32_t>(i) << 16 | static_cast<uint32_t>(255 - i) << 8 |
         7u;
}

// Colour table entry i, stored blue, green, red.
inline void SetTableColour(Dib &dib, int i, uint32_t colour) {
  for (int k = 0; k < 3; ++k) {
    dib.bytes[static_cast<std::size_t>(40 + 4 * i + k)] =
        static_cast<unsigned char>(colour >> (8 * k));
  }
}

// Pixel (x, y) counted from the top has index x + 16 * y (mod 256), so its
// colour tells where in the source it came from, for sources up to 16 wide.
inline Dib GridDib(int width, int height) {
  const int stride = (width + 3) & ~3;
  Dib dib;
  dib.bytes.assign(1064 + static_cast<std::size_t>(stride * height), 0);
  // biSize, biWidth, biHeight, then biPlanes 1 and biBitCount 8 as two
  // little-endian words; the rest of the header stays zero.
  const int32_t head[] = {40, width, height, 1 | 8 << 16};
  std::memcpy(dib.bytes.data(), head, sizeof head);
  for (int i = 0; i < 256; ++i) {
    SetTableColour(dib, i, DistinctColour(i));
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      dib.bytes[static_cast<std::size_t>(1064 + (height - 1 - y) * stride +
                                         x)] =
          static_cast<unsigned char>(x + 16 * y);
    }
  }
  return dib;
}

inline uint32_t GridColour(int sx, int sy) {
  return DistinctColour((sx + 16 * sy) & 0xFF);
}

inline HBITMAP MakeBitmap(const Dib &dib, HDC dc = nullptr) {
  return CreateDIBitmap(dc, dib.header(), CBM_INIT, dib.bits(), dib.info(),
                        DIB_RGB_COLORS);
}

// One draw the way the saver makes it: memory DC, bitmap, copy, release.
inline BOOL Draw(HDC windowDc, const Dib &dib, int x, int y, int w, int h) {
  HDC memory = CreateCompatibleDC(windowDc);
  HBITMAP bitmap = MakeBitmap(dib, windowDc);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const BOOL ok =
      StretchBlt(windowDc, x, y, w, h, memory, 0, 0, dib.header()->biWidth,
                 dib.header()->biHeight, SRCCOPY);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return ok;
}

// A popup window of an own-DC (or common-DC) class on a fresh headless
// display filled with `fill`.
inline HWND OpenWindow(int width, int height, int displayWidth,
                       int displayHeight, uint32_t fill,
                       UINT classStyle = CS_OWNDC) {
  platform::OpenHeadlessDisplay(displayWidth, displayHeight, fill);
  const char *name = classStyle == CS_OWNDC ? "TestOwnDc" : "TestCommonDc";
  WNDCLASSA wc{};
  wc.style = classStyle;
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = name;
  RegisterClassA(&wc); // fails harmlessly when already registered
  return CreateWindowExA(0, name, "", WS_POPUP, 0, 0, width, height, nullptr,
                         nullptr, nullptr, nullptr);
}

inline std::vector<RECT> RectsOf(HRGN region) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<unsigned char> buffer(size);
  auto *data = reinterpret_cast<RGNDATA *>(buffer.data());
  if (size == 0 || GetRegionData(region, size, data) != size) {
    return {};
  }
  const auto *first = reinterpret_cast<const RECT *>(data->Buffer);
  return std::vector<RECT>(first, first + data->rdh.nCount);
}

inline bool SameRects(const std::vector<RECT> &a, const std::vector<RECT> &b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const RECT &p, const RECT &q) {
                      return p.left == q.left && p.top == q.top &&
                             p.right == q.right && p.bottom == q.bottom;
                    });
}

} // namespace layer_test
