// The ten splat frames: a glossy sphere in five stages, blood or pus.
#pragma once

#include "image.h"

namespace pictures {

enum class Humour { Blood, Pus };

constexpr int kFrameSize = 200;

// Stage 1 to 5: mottled, veined, swollen, splitting, burst. The sphere fills
// the 200-pixel disc centred in the square; outside it every pixel is pure
// white.
Image RenderFrame(Humour humour, int stage);

// Whether pixel (x, y) of a frame lies inside the disc.
bool InsideDisc(int x, int y);

} // namespace pictures
