// The program's icon, drawn as text: a red pool along the top edge, drips
// running down from it and drops falling, on a transparent background.
#pragma once

namespace icon {

// A square picture, one string per row, top row first, one character per
// pixel (legend in icon_art.cpp; EncodeIconImage checks it).
struct Art {
  const char *const *rows;
  int size;
};

extern const Art largeArt; // 32 by 32
extern const Art smallArt; // 16 by 16

} // namespace icon
