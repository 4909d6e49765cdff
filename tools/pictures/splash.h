// Shapes of the splashes on the bursting spheres, as signed distances in
// disc units (the sphere's disc has radius 1, centre at 0; negative inside).
#pragma once

#include <vector>

#include "image.h"

namespace pictures {

struct Segment {
  double ax, ay, bx, by; // ends
  double wa, wb;         // half widths at the ends
};

// A splash core with tendrils that wander out from it and branch.
class TendrilSplash {
public:
  explicit TendrilSplash(uint32_t seed);
  double Distance(double x, double y) const;

private:
  uint32_t seed_;
  std::vector<Segment> segments_;
  std::vector<Vec3> drops_; // x, y, radius
};

// The burst: a splash filling most of the disc with a scalloped edge, and
// a few drops flung into the rim.
class BurstSplash {
public:
  explicit BurstSplash(uint32_t seed);
  double Distance(double x, double y) const;

private:
  uint32_t seed_;
  std::vector<Vec3> drops_;
};

} // namespace pictures
