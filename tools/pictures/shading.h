// Lighting shared by the spheres and the backdrops: one light from the
// upper left, soft wrapped diffuse, a tight specular highlight with a broad
// sheen around it, and a darker rim where the surface turns away.
#pragma once

#include "image.h"

namespace pictures {

struct Material {
  Rgb albedo;
  double shininess = 40; // exponent of the tight highlight
  double specular = 0.6; // strength of the tight highlight
  double sheen = 0.12;   // strength of the broad highlight
};

// The direction towards the light (x right, y up, z towards the viewer).
Vec3 LightDirection();

// `normal` is the bumped surface normal; `facing` is how squarely the
// underlying shape faces the viewer (1 = head-on, 0 = at the silhouette).
Rgb Shade(const Material &m, Vec3 normal, double facing);

} // namespace pictures
