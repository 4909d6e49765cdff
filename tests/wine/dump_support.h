// Shared by the Windows dump programs: a fixed-seed generator, the boxes
// whose elliptic regions Wine leaves partly unset, printing a region as
// GetRegionData reports it, and a 32-bit DIB section target that reads back
// exactly.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "winapi.h"

namespace dump_support {

// Fixed seed so every run dumps the same cases.
inline int Random(int low, int high) {
  static unsigned int state = 20260601u;
  state = state * 1103515245u + 12345u;
  const unsigned span = static_cast<unsigned>(high - low + 1);
  return low + static_cast<int>((state >> 8) % span);
}

// Wine 8 fills an ellipse one row at a time by a midpoint walk across the
// columns that ends once it has passed half the width. In a box this tall for
// its width the walk ends before the last row, and the rows it never reached
// keep whatever was in memory (they differ from run to run). The bound was
// found by comparing the walk with the recorded rows for every width up to 80
// and every height up to 2400; it holds exactly there.
inline bool RowsLeftUnset(int left, int top, int right, int bottom) {
  const long width = std::labs(static_cast<long>(right) - left);
  const long height = std::labs(static_cast<long>(bottom) - top);
  return width >= 3 &&
         height >= std::max(4L, 2 * width * width - 8 * width + 9);
}

// Prints " TYPE COUNT BL BT BR BB" and COUNT rectangles: GetRgnBox's result
// and box, then GetRegionData's rectangles in their order.
inline void PrintRegion(HRGN region) {
  RECT box{};
  const int type = GetRgnBox(region, &box);
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<unsigned char> buffer(size + sizeof(RGNDATAHEADER));
  auto *data = reinterpret_cast<RGNDATA *>(buffer.data());
  const DWORD count = GetRegionData(region, size, data) ? data->rdh.nCount : 0;
  std::printf(" %d %lu %ld %ld %ld %ld", type,
              static_cast<unsigned long>(count), static_cast<long>(box.left),
              static_cast<long>(box.top), static_cast<long>(box.right),
              static_cast<long>(box.bottom));
  const auto *rects = reinterpret_cast<const RECT *>(data->Buffer);
  for (DWORD i = 0; i < count; ++i) {
    std::printf(" %ld %ld %ld %ld", static_cast<long>(rects[i].left),
                static_cast<long>(rects[i].top),
                static_cast<long>(rects[i].right),
                static_cast<long>(rects[i].bottom));
  }
}

// A memory DC drawing onto a top-down 32-bit DIB section, in COLORONCOLOR
// mode; stands in for the saver window's DC.
class Target {
public:
  Target(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    bitmap_ =
        CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    if (bitmap_ && dc_ && bits) {
      pixels_ = static_cast<uint32_t *>(bits);
      previous_ = SelectObject(dc_, bitmap_);
      SetStretchBltMode(dc_, COLORONCOLOR);
    }
  }
  ~Target() {
    if (dc_) {
      if (previous_) {
        SelectObject(dc_, previous_);
      }
      DeleteDC(dc_);
    }
    if (bitmap_) {
      DeleteObject(bitmap_);
    }
  }
  Target(const Target &) = delete;
  Target &operator=(const Target &) = delete;

  bool Ready() const { return pixels_ != nullptr && previous_ != nullptr; }
  HDC Dc() const { return dc_; }
  void Fill(uint32_t colour) { std::fill(pixels_, pixels_ + Count(), colour); }
  // Row-major, row 0 on top, 0x00RRGGBB.
  const uint32_t *Pixels() const {
    GdiFlush();
    return pixels_;
  }
  std::size_t Count() const {
    return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  }

private:
  int width_;
  int height_;
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t *pixels_ = nullptr;
};

} // namespace dump_support
