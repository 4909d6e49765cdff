// Prints which source column and row StretchBlt in COLORONCOLOR mode takes
// for every destination column and row, one stretch a line, onto a 32-bit
// DIB section. Line format (whitespace separated):
//   stretch SRCW SRCH DSTX DSTY DSTW DSTH SURFW SURFH STATUS
//           cols DSTW values rows DSTH values
// A value is the source index, or -1 where the destination pixel lies off the
// SURFW x SURFH target; STATUS is "ok" or "bad" (see MeasurePass).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "stretch_pattern.h"
#include "winapi.h"

namespace {

using stretch_pattern::Case;

void DumpCase(const Case &c) {
  // The target stands in for the saver window's DC and reads back exactly.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = c.surfW;
  info.bmiHeader.biHeight = -c.surfH;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  HBITMAP bitmap =
      CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = bitmap && dc && bits ? SelectObject(dc, bitmap) : nullptr;
  SetStretchBltMode(dc, COLORONCOLOR);
  auto *pixels = static_cast<uint32_t *>(bits);
  const std::string line = stretch_pattern::MeasureLine(
      dc, previous != nullptr, c,
      [&] {
        std::fill(pixels, pixels + c.surfW * c.surfH,
                  stretch_pattern::kUntouched);
      },
      [&] {
        GdiFlush();
        return pixels;
      });
  if (previous) {
    SelectObject(dc, previous);
  }
  DeleteDC(dc);
  DeleteObject(bitmap);
  std::printf("%s\n", line.c_str());
}

void DumpAtOrigin(int srcW, int srcH, int dstW, int dstH) {
  DumpCase(Case{srcW, srcH, 0, 0, dstW, dstH, dstW, dstH});
}

} // namespace

int main() {
  // Backdrops onto common screens, and shrinking them.
  const int screens[][2] = {
      {3840, 2160}, {1920, 1080}, {1366, 768}, {800, 600},  {1024, 768},
      {1280, 1024}, {640, 480},   {1365, 767}, {1023, 577}, {320, 240},
      {152, 112},   {3, 3},       {1, 1},      {640, 1},    {1, 480}};
  for (const auto &screen : screens) {
    DumpAtOrigin(640, 480, screen[0], screen[1]);
  }
  // Splat frames: every square the growing splat uses, then larger ones.
  for (int d = 1; d <= 210; ++d) {
    DumpAtOrigin(200, 200, d, d);
  }
  for (int d : {256, 300, 401, 402, 512, 777, 1000, 1080}) {
    DumpAtOrigin(200, 200, d, d);
  }
  // Small odd ratios in both directions.
  DumpAtOrigin(10, 10, 2, 2);
  DumpAtOrigin(7, 7, 13, 13);
  DumpAtOrigin(13, 13, 7, 7);
  DumpAtOrigin(7, 13, 13, 7);
  DumpAtOrigin(3, 5, 11, 2);
  DumpAtOrigin(1, 1, 5, 5);
  // Frames that hang over the edges of a 640x480 screen: the mapping must
  // not shift when the destination is clipped.
  const Case edges[] = {
      {200, 200, -50, -30, 104, 104, 640, 480},
      {200, 200, 590, 440, 104, 104, 640, 480},
      {200, 200, -7, -9, 20, 20, 640, 480},
      {200, 200, -150, -150, 400, 400, 640, 480},
      {200, 200, 500, -100, 300, 700, 640, 480},
      {640, 480, -1, -1, 642, 482, 640, 480},
      {10, 10, -3, 5, 7, 13, 640, 480},
  };
  for (const Case &c : edges) {
    DumpCase(c);
  }
  return 0;
}
