#include "noise.h"

namespace pictures {

uint32_t Hash(int32_t x, int32_t y, int32_t z, uint32_t seed) {
  uint32_t h = seed * 0x9e3779b9u;
  h ^= static_cast<uint32_t>(x) * 0x8da6b343u;
  h ^= static_cast<uint32_t>(y) * 0xd8163841u;
  h ^= static_cast<uint32_t>(z) * 0xcb1ab31fu;
  h ^= h >> 16;
  h *= 0x7feb352du;
  h ^= h >> 15;
  h *= 0x846ca68bu;
  h ^= h >> 16;
  return h;
}

double HashUnit(int32_t x, int32_t y, int32_t z, uint32_t seed) {
  return (Hash(x, y, z, seed) >> 8) * (1.0 / 16777216.0);
}

namespace {

double Fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// Dot product with one of the twelve cube-edge gradients.
double Grad(uint32_t h, double x, double y, double z) {
  switch (h % 12u) {
  case 0:
    return x + y;
  case 1:
    return -x + y;
  case 2:
    return x - y;
  case 3:
    return -x - y;
  case 4:
    return x + z;
  case 5:
    return -x + z;
  case 6:
    return x - z;
  case 7:
    return -x - z;
  case 8:
    return y + z;
  case 9:
    return -y + z;
  case 10:
    return y - z;
  default:
    return -y - z;
  }
}

} // namespace

double Noise(Vec3 p, uint32_t seed) {
  const double fx = std::floor(p.x);
  const double fy = std::floor(p.y);
  const double fz = std::floor(p.z);
  const auto ix = static_cast<int32_t>(fx);
  const auto iy = static_cast<int32_t>(fy);
  const auto iz = static_cast<int32_t>(fz);
  const double x = p.x - fx;
  const double y = p.y - fy;
  const double z = p.z - fz;
  const double u = Fade(x);
  const double v = Fade(y);
  const double w = Fade(z);
  double corner[8];
  for (int i = 0; i < 8; ++i) {
    const int dx = i & 1;
    const int dy = (i >> 1) & 1;
    const int dz = (i >> 2) & 1;
    corner[i] =
        Grad(Hash(ix + dx, iy + dy, iz + dz, seed), x - dx, y - dy, z - dz);
  }
  const double x00 = Mix(corner[0], corner[1], u);
  const double x10 = Mix(corner[2], corner[3], u);
  const double x01 = Mix(corner[4], corner[5], u);
  const double x11 = Mix(corner[6], corner[7], u);
  return Mix(Mix(x00, x10, v), Mix(x01, x11, v), w);
}

double Fbm(Vec3 p, int octaves, uint32_t seed, double gain) {
  double sum = 0;
  double amplitude = 1;
  double total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * Noise(p, seed + static_cast<uint32_t>(i) * 101u);
    total += amplitude;
    amplitude *= gain;
    // A slight rotation between octaves hides the lattice.
    p = Vec3{p.x * 1.6 + p.z * 1.2, p.y * 2.0, p.z * 1.6 - p.x * 1.2} +
        Vec3{3.1, 7.7, 1.3};
  }
  return total > 0 ? 1.4 * sum / total : 0.0;
}

Vec3 FbmVec(Vec3 p, int octaves, uint32_t seed) {
  return {Fbm(p, octaves, seed),
          Fbm(p + Vec3{5.2, 1.3, 8.4}, octaves, seed + 7),
          Fbm(p + Vec3{9.7, 3.4, 2.8}, octaves, seed + 13)};
}

double Sequence::Next() { return HashUnit(counter_++, 0, 0, state_); }

} // namespace pictures
