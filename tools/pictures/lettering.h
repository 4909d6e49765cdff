// Lettering for the backdrops: text rasterized with FreeType from a font
// that Debian installs, into coverage masks, plus drips hanging from it.
#pragma once

#include <string>

#include "image.h"

namespace pictures {

// Fonts from the fonts-dejavu-core package.
extern const char *const kSerifBold;
extern const char *const kSansBold;

struct TextBox {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Draws `text` centred on `centreX` with its baseline at `baseline`, at the
// largest pixel size up to `pixelSize` that fits `maxWidth`, `tracking`
// extra pixels between letters. Coverage is max-combined into `mask`.
// Returns the inked box; throws if the font cannot be loaded.
TextBox DrawText(Mask &mask, const char *fontPath, int pixelSize, int maxWidth,
                 const std::string &text, int centreX, int baseline,
                 int tracking = 0);

// Adds drips that hang from the lower edges of whatever is drawn in `mask`
// between rows `top` and `bottom`.
void AddDrips(Mask &mask, int top, int bottom, double maxLength, uint32_t seed);

} // namespace pictures
