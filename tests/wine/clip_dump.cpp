// Prints what drawing through united elliptic clip regions does, one scene a
// line, done the way the saver's burst and drips do it: SelectClipRgn with
// the first ellipse, ExtSelectClipRgn(RGN_OR) with the others (each region
// deleted at once), then a 640x480 picture stretched over the whole target
// and a 200x200 picture stretched into a square around the first ellipse.
// Line format (whitespace separated):
//   clip N  N boxes as left top right bottom  then the clip region from
//   GetClipRgn as TYPE COUNT BL BT BR BB and COUNT rectangles  then SUM
// where SUM is the FNV-1a hash (hex) of the 640x480 target's pixels
// (0x00RRGGBB, row 0 first, each as 4 little-endian bytes) after drawing.
// Boxes whose ellipse Wine leaves partly unset, or that have no width or
// height, are not used (see dump_support.h).
#include <cstdint>
#include <cstdio>
#include <vector>

#include "clip_scene.h"
#include "dump_support.h"
#include "stretch_pattern.h"
#include "winapi.h"

namespace {

using dump_support::Random;

using clip_scene::kHeight;
using clip_scene::kWidth;

bool Usable(const RECT &box) {
  return box.right != box.left && box.bottom != box.top &&
         !dump_support::RowsLeftUnset(box.left, box.top, box.right, box.bottom);
}

RECT Around(int x, int y, int rx, int ry) {
  return RECT{x - rx, y - ry, x + rx, y + ry};
}

void DumpScene(dump_support::Target &target, const std::vector<RECT> &boxes,
               const clip_scene::Pictures &pictures) {
  target.Fill(clip_scene::kUntouched);
  HDC dc = target.Dc();
  std::printf("clip %zu", boxes.size());
  for (const RECT &b : boxes) {
    std::printf(" %ld %ld %ld %ld", static_cast<long>(b.left),
                static_cast<long>(b.top), static_cast<long>(b.right),
                static_cast<long>(b.bottom));
  }
  clip_scene::ClipToEllipses(dc, boxes);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  if (GetClipRgn(dc, clip) == 1) {
    dump_support::PrintRegion(clip);
  } else {
    std::printf(" 0 0 0 0 0 0");
  }
  DeleteObject(clip);
  clip_scene::DrawPictures(dc, pictures, boxes[0]);
  std::printf(" %08lx\n", static_cast<unsigned long>(stretch_pattern::Hash(
                              target.Pixels(), target.Count())));
}

} // namespace

int main() {
  dump_support::Target target(kWidth, kHeight);
  if (!target.Ready()) {
    return 1;
  }
  const clip_scene::Pictures pictures;
  for (int scene = 0; scene < 150; ++scene) {
    std::vector<RECT> boxes;
    // A splat circle, anywhere on or partly off the target.
    const int x = Random(-40, kWidth + 40);
    const int y = Random(-40, kHeight + 40);
    const int r = Random(1, 90);
    boxes.push_back(Around(x, y, r, r));
    // Droplets in a ring around it, then a few drips.
    const int droplets = Random(0, 40);
    for (int i = 0; i < droplets; ++i) {
      const int d = Random(1, 12);
      boxes.push_back(Around(x + Random(-3 * r / 2, 3 * r / 2),
                             y + Random(-3 * r / 2, 3 * r / 2), d, d));
    }
    const int drips = Random(0, 5);
    for (int i = 0; i < drips; ++i) {
      const RECT drip = Around(x + Random(-r, r), y + Random(-r, 3 * r),
                               Random(2, 25), Random(2, 40));
      if (Usable(drip)) {
        boxes.push_back(drip);
      }
    }
    DumpScene(target, boxes, pictures);
  }
  return 0;
}
