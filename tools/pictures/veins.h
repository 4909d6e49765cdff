// Surface patterns on the spheres: vein networks and marbling.
#pragma once

#include "image.h"

namespace pictures {

// Raised vein network at point p of the unit sphere: 0 off the veins, up to
// 1 on the crest of a vein. Thin branches grow only near thicker veins, so
// the network branches rather than criss-crosses. Lower `frequency` with a
// smaller `width` gives the stretched veins of a swollen sphere.
double VeinField(Vec3 p, double frequency, double width, uint32_t seed);

// Marbling: `band` sweeps smoothly between 0 and 1 through swirled layers;
// `seam` is 1 on the thin dark lines between layers and 0 elsewhere.
// `strength` warps the layers harder and sharpens the contrast.
struct MarbleSample {
  double band = 0;
  double seam = 0;
};
MarbleSample Marble(Vec3 p, double strength, uint32_t seed);

// Rounded ridge profile: 1 at distance 0, falling smoothly to 0 at `width`.
double Ridge(double distance, double width);

} // namespace pictures
