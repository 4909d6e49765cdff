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

double Marble(Vec3 p, double strength, uint32_t seed) {
  const Vec3 q = p * 1.8 + FbmVec(p * 1.3, 4, seed) * (1.1 * strength);
  const double phase = q.x * 4.0 + q.y * 2.5 + 1.5 * Fbm(q * 2.0, 3, seed + 31);
  const double seam = 1 - std::fabs(Sin(phase));
  const double sharp = Pow(seam, 9.0 / strength);
  const double cloud = 0.5 + 0.5 * Fbm(p * 3.5, 4, seed + 47);
  return Clamp01(0.75 * sharp + 0.35 * cloud * strength * 0.5);
}

} // namespace pictures
