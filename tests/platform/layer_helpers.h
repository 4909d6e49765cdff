// Shared helpers for the platform layer tests: 8-bit DIB resources, a
// saver-like window and region inspection.
#pragma once

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "layer.h"

namespace layer_test {

// A bitmap resource as the saver carries them: 40-byte header, 256-entry
// colour table, bottom-up 8-bit rows from byte 1064.
struct Dib {
  std::vector<unsigned char> bytes;
  const BITMAPINFOHEADER *header() const {
    return reinterpret_cast<const BITMAPINFOHEADER *>(bytes.data());
  }
  // Rewrites one field or more of the header through a copy.
  template <class F> void Edit(F change) {
    BITMAPINFOHEADER h;
    std::memcpy(&h, bytes.data(), sizeof h);
    change(h);
    std::memcpy(bytes.data(), &h, sizeof h);
  }
  const BITMAPINFO *info() const {
    return reinterpret_cast<const BITMAPINFO *>(bytes.data());
  }
  const void *bits() const { return bytes.data() + 1064; }
};

// Pixel (x, y) counted from the top gets index(x, y); colour i is
// colour(i) as 0x00RRGGBB.
inline Dib MakeDib(int width, int height,
                   const std::function<int(int, int)> &index,
                   const std::function<uint32_t(int)> &colour) {
  const int stride = (width + 3) & ~3;
  Dib dib;
  dib.bytes.assign(1064 + static_cast<std::size_t>(stride * height), 0);
  BITMAPINFOHEADER h{};
  h.biSize = 40;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = 8;
  std::memcpy(dib.bytes.data(), &h, sizeof h);
  for (int i = 0; i < 256; ++i) {
    const uint32_t c = colour(i);
    unsigned char *q = dib.bytes.data() + 40 + 4 * i;
    q[0] = static_cast<unsigned char>(c & 0xFF);
    q[1] = static_cast<unsigned char>((c >> 8) & 0xFF);
    q[2] = static_cast<unsigned char>((c >> 16) & 0xFF);
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      dib.bytes[static_cast<std::size_t>(1064 + (height - 1 - y) * stride +
                                         x)] =
          static_cast<unsigned char>(index(x, y));
    }
  }
  return dib;
}

// Colour i is 0x010000 * i + 0x0100 * (255 - i) + 7: all distinct.
inline uint32_t DistinctColour(int i) {
  return static_cast<uint32_t>(i) << 16 | static_cast<uint32_t>(255 - i) << 8 |
         7u;
}

// A picture whose pixel (x, y) has index x + 16 * y (mod 256), so a pixel's
// colour tells where in the source it came from for sources up to 16 wide.
inline Dib GridDib(int width, int height) {
  return MakeDib(
      width, height, [](int x, int y) { return (x + 16 * y) & 0xFF; },
      DistinctColour);
}

inline LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM w,
                                  LPARAM l) {
  return DefWindowProcA(window, message, w, l);
}

// Registers an own-DC class (once) and opens a popup window on a fresh
// headless display filled with `fill`.
inline HWND OpenWindow(int x, int y, int width, int height,
                       int displayWidth = 64, int displayHeight = 48,
                       uint32_t fill = 0x123456, UINT classStyle = CS_OWNDC) {
  platform::OpenHeadlessDisplay(displayWidth, displayHeight, fill);
  const char *name =
      classStyle == CS_OWNDC ? "LayerTestOwn" : "LayerTestCommon";
  WNDCLASSA wc{};
  wc.style = classStyle;
  wc.lpfnWndProc = PlainProc;
  wc.lpszClassName = name;
  RegisterClassA(&wc); // fails harmlessly when already registered
  return CreateWindowExA(0, name, "", WS_POPUP, x, y, width, height, nullptr,
                         nullptr, nullptr, nullptr);
}

// The rectangles of a region as GetRegionData gives them.
inline std::vector<RECT> RectsOf(HRGN region, RECT *bound = nullptr) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<unsigned char> buffer(size);
  auto *data = reinterpret_cast<RGNDATA *>(buffer.data());
  if (size == 0 || GetRegionData(region, size, data) != size) {
    return {};
  }
  if (bound != nullptr) {
    *bound = data->rdh.rcBound;
  }
  const auto *first = reinterpret_cast<const RECT *>(data->Buffer);
  return std::vector<RECT>(first, first + data->rdh.nCount);
}

// The pixel set of a region within a window, row by row ('#' = inside).
inline std::vector<std::string> PixelsOf(HRGN region, RECT window) {
  std::vector<std::string> rows;
  for (LONG y = window.top; y < window.bottom; ++y) {
    std::string row;
    for (LONG x = window.left; x < window.right; ++x) {
      row += PtInRegion(region, x, y) ? '#' : '.';
    }
    rows.push_back(row);
  }
  return rows;
}

} // namespace layer_test
