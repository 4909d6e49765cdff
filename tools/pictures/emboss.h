// Paints a coverage mask onto a picture as raised, lit lettering with an
// outline and a cast shadow.
#pragma once

#include "image.h"
#include "shading.h"

namespace pictures {

struct EmbossStyle {
  Material material;
  Rgb outline;
  double bevel = 6;    // steepness of the rounded edges
  int bevelRadius = 2; // blur radius that rounds them
  double shadow = 0.7; // how dark the cast shadow is
  int shadowDx = 5, shadowDy = 7;
};

void Emboss(Image &image, const Mask &mask, const EmbossStyle &style);

} // namespace pictures
