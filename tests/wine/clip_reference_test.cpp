// Drawing through united elliptic clip regions, against Wine 8
// (tests/data/wine/clips.txt): the same ellipses selected and united into a
// window DC's clip, the clip read back with GetClipRgn, then a backdrop and
// a frame stretched through it; the drawing is compared by its hash.
#include <gtest/gtest.h>

#include "clip_scene.h"
#include "headless_window.h"
#include "layer.h"
#include "reference_data.h"
#include "region_rows.h"
#include "stretch_pattern.h"

namespace {

using wine_reference::ClipRecord;

using clip_scene::kHeight;
using clip_scene::kWidth;

struct Drawn {
  wine_reference::RegionData clip;
  uint32_t hash = 0;
};

// Does what the dump did under Wine, on our layer.
Drawn DrawScene(const ClipRecord &c, const clip_scene::Pictures &pictures) {
  Drawn drawn;
  HeadlessWindow window(kWidth, kHeight, clip_scene::kUntouched);
  HDC dc = window.Dc();
  if (!dc) {
    return drawn;
  }
  clip_scene::ClipToEllipses(dc, c.boxes);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  if (GetClipRgn(dc, clip) == 1) {
    drawn.clip = region_rows::Read(clip);
  }
  DeleteObject(clip);
  clip_scene::DrawPictures(dc, pictures, c.boxes[0]);
  drawn.hash = stretch_pattern::Hash(platform::DisplayPixels(),
                                     static_cast<std::size_t>(kWidth) *
                                         static_cast<std::size_t>(kHeight));
  return drawn;
}

TEST(WineClips, SameClipRegionsAndDrawingsAsWine) {
  const auto records = wine_reference::LoadClips();
  ASSERT_GT(records.size(), 100u);
  const clip_scene::Pictures pictures;
  const std::size_t liveBefore = platform::LiveObjectCount();
  int differing = 0;
  std::string report;
  for (std::size_t scene = 0; scene < records.size(); ++scene) {
    const ClipRecord &c = records[scene];
    const Drawn ours = DrawScene(c, pictures);
    std::string difference;
    const auto wineRows = region_rows::Covered(c.clip.rects);
    const auto ourRows = region_rows::Covered(ours.clip.rects);
    if (wineRows != ourRows) {
      difference = "clip covers other pixels, " +
                   region_rows::FirstDifferentRow(wineRows, ourRows);
    } else if (const auto list = region_rows::ListDifference(c.clip, ours.clip);
               !list.empty()) {
      difference = "clip rectangles differ, " + list;
    } else if (ours.hash != c.hash) {
      difference = "same clip, other pixels drawn";
    }
    if (!difference.empty() && ++differing <= 12) {
      report += "scene " + std::to_string(scene + 1) + " (" +
                std::to_string(c.boxes.size()) + " ellipses, first " +
                region_rows::Text(c.boxes[0]) + "): " + difference + "\n";
    }
  }
  EXPECT_EQ(differing, 0) << "first differences:\n" << report;
  EXPECT_EQ(platform::LiveObjectCount(), liveBefore);
}

} // namespace
