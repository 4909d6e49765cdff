// Deterministic smooth noise: integer hashing only, no tables built at run
// time and no library random numbers, so the pictures are the same on every
// run.
#pragma once

#include <cstdint>

#include "image.h"

namespace pictures {

uint32_t Hash(int32_t x, int32_t y, int32_t z, uint32_t seed);

// A hash turned into a number in [0, 1).
double HashUnit(int32_t x, int32_t y, int32_t z, uint32_t seed);

// Gradient noise in 3D, roughly in [-1, 1], zero at lattice points.
double Noise(Vec3 p, uint32_t seed);

// Fractal sum of `octaves` noise layers, each twice the frequency and
// `gain` times the amplitude of the one before; normalised to about [-1, 1].
double Fbm(Vec3 p, int octaves, uint32_t seed, double gain = 0.5);

// Three decorrelated fbm values, for warping a domain.
Vec3 FbmVec(Vec3 p, int octaves, uint32_t seed);

// A small sequential generator for placing things (drips, tendrils, faces).
class Sequence {
public:
  explicit Sequence(uint32_t seed) : state_(seed) {}
  double Next(); // [0, 1)
  double Range(double lo, double hi) { return lo + (hi - lo) * Next(); }

private:
  uint32_t state_;
  int32_t counter_ = 0;
};

} // namespace pictures
