// The scenes drawn through united elliptic clip regions, done the same way
// by the Windows dump and by the native comparison: the clip built as the
// saver's burst and drips build it, then a backdrop over the whole target
// and a frame around the first ellipse stretched through it.
#pragma once

#include <cstdint>
#include <vector>

#include "stretch_pattern.h"
#include "winapi.h"

namespace clip_scene {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr uint32_t kUntouched = 0x00FF00FF;

// Clip := the ellipse of the first box, united with each further one; every
// region is deleted at once (the DC keeps its own copy).
inline void ClipToEllipses(HDC dc, const std::vector<RECT> &boxes) {
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const RECT &b = boxes[i];
    HRGN region = CreateEllipticRgn(b.left, b.top, b.right, b.bottom);
    if (i == 0) {
      SelectClipRgn(dc, region);
    } else {
      ExtSelectClipRgn(dc, region, RGN_OR);
    }
    DeleteObject(region);
  }
}

struct Pictures {
  stretch_pattern::Picture backdrop = stretch_pattern::MakePicture(
      kWidth, kHeight, stretch_pattern::Pass::ColumnLow);
  stretch_pattern::Picture frame =
      stretch_pattern::MakePicture(200, 200, stretch_pattern::Pass::RowLow);
};

// Draws both pictures through the current clip, then removes the clip. The
// frame square is one pixel larger than `first` on every side.
inline void DrawPictures(HDC dc, const Pictures &pictures, const RECT &first) {
  stretch_pattern::StretchPicture(dc, pictures.backdrop, kWidth, kHeight, 0, 0,
                                  kWidth, kHeight);
  stretch_pattern::StretchPicture(dc, pictures.frame, 200, 200, first.left - 1,
                                  first.top - 1, first.right - first.left + 2,
                                  first.bottom - first.top + 2);
  SelectClipRgn(dc, nullptr);
}

} // namespace clip_scene
