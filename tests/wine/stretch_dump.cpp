// Prints which source column and row StretchBlt in COLORONCOLOR mode takes
// for every destination column and row, one stretch a line, called the way
// the saver draws (see stretch_pattern.h). The target is a 32-bit DIB
// section so every pixel reads back exactly. Line format (whitespace
// separated):
//   stretch SRCW SRCH DSTX DSTY DSTW DSTH SURFW SURFH STATUS
//           cols DSTW values rows DSTH values
// A value is the source index, or -1 where the destination pixel lies off the
// SURFW x SURFH target. STATUS is "ok", or "bad" when a column (row) did not
// come from one source column (row) on every row (column), a pixel outside
// the destination changed, or a colour did not come from the source table.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "dump_support.h"
#include "stretch_pattern.h"
#include "winapi.h"

namespace {

using stretch_pattern::Pass;

struct Case {
  int srcW, srcH, dstX, dstY, dstW, dstH, surfW, surfH;
};

constexpr uint32_t kUntouched = 0x00FF00FF;

// Stretches one pass and folds what each destination column (or row) shows
// into `out`; false when something went wrong.
bool MeasurePass(dump_support::Target &target, const Case &c, Pass pass,
                 std::vector<int> &out) {
  target.Fill(kUntouched);
  const auto picture = stretch_pattern::MakePicture(c.srcW, c.srcH, pass);
  bool good = stretch_pattern::StretchPicture(
      target.Dc(), picture, c.srcW, c.srcH, c.dstX, c.dstY, c.dstW, c.dstH);
  const uint32_t *pixels = target.Pixels();
  const bool byColumn = stretch_pattern::ByColumn(pass);
  std::vector<int> seen(out.size(), -1);
  for (int y = 0; good && y < c.surfH; ++y) {
    for (int x = 0; x < c.surfW; ++x) {
      const uint32_t p = pixels[static_cast<std::size_t>(y) *
                                    static_cast<std::size_t>(c.surfW) +
                                static_cast<std::size_t>(x)];
      const int dx = x - c.dstX;
      const int dy = y - c.dstY;
      if (dx < 0 || dy < 0 || dx >= c.dstW || dy >= c.dstH) {
        good = good && p == kUntouched;
        continue;
      }
      const int value = static_cast<int>((p >> 16) & 255);
      good = good && p == stretch_pattern::IndexColour(value);
      int &slot = seen[static_cast<std::size_t>(byColumn ? dx : dy)];
      good = good && (slot < 0 || slot == value);
      slot = value;
    }
  }
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] =
        seen[i] < 0 ? -1 : out[i] | (seen[i] << stretch_pattern::Shift(pass));
  }
  return good;
}

void DumpCase(const Case &c) {
  dump_support::Target target(c.surfW, c.surfH);
  bool good = target.Ready();
  std::vector<int> cols(static_cast<std::size_t>(c.dstW), 0);
  std::vector<int> rows(static_cast<std::size_t>(c.dstH), 0);
  for (Pass pass : stretch_pattern::kPasses) {
    good = good && MeasurePass(target, c, pass,
                               stretch_pattern::ByColumn(pass) ? cols : rows);
  }
  std::printf("stretch %d %d %d %d %d %d %d %d %s cols", c.srcW, c.srcH, c.dstX,
              c.dstY, c.dstW, c.dstH, c.surfW, c.surfH, good ? "ok" : "bad");
  for (int v : cols) {
    std::printf(" %d", v);
  }
  std::printf(" rows");
  for (int v : rows) {
    std::printf(" %d", v);
  }
  std::printf("\n");
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
  const int large[] = {256, 300, 401, 402, 512, 777, 1000, 1080};
  for (int d : large) {
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
