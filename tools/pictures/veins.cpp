#include "veins.h"
#include "mathx.h"

#include "noise.h"

namespace pictures {

double Ridge(double distance, double width) {
  if (width <= 0 || distance >= width)
    return 0.0;
  const double t = distance / width;
  const double s = 1 - t * t;
  return s * s;
}

double VeinField(Vec3 p, double frequency, double width, uint32_t seed) {
  const Vec3 q = p * frequency + FbmVec(p * (frequency * 0.6), 3, seed) * 0.55;
  const double d1 = std::fabs(Noise(q, seed + 1));
  const double d2 = std::fabs(Noise(q * 2.3 + Vec3{4.1, 2.2, 7.3}, seed + 2));
  const double d3 = std::fabs(Noise(q * 5.1 + Vec3{1.7, 9.2, 3.3}, seed + 3));
  const double main = Ridge(d1, width);
  const double branch =
      Ridge(d2, width * 0.55) * (1 - Smoothstep(width, width * 5.5, d1));
  const double twig = Ridge(d3, width * 0.4) *
                      (1 - Smoothstep(width * 0.5, width * 3.5, d2)) *
                      (1 - Smoothstep(width * 2, width * 8, d1));
  return std::max({main, 0.7 * branch, 0.45 * twig});
}

MarbleSample Marble(Vec3 p, double strength, uint32_t seed) {
  const Vec3 q = p * 1.6 + FbmVec(p * 1.4, 4, seed) * (1.1 * strength);
  const double phase =
      q.x * 6.0 + q.y * 3.2 + 3.0 * strength * Fbm(q * 1.3, 4, seed + 31);
  MarbleSample m;
  m.band = 0.5 + 0.5 * Sin(phase);
  // Seams run where the layers turn over, thinner when stronger.
  const double across = std::fabs(Cos(phase * 0.5));
  m.seam = Ridge(across, 0.1 + 0.06 / strength);
  return m;
}

} // namespace pictures
