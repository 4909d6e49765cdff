#include "shading.h"
#include "mathx.h"

namespace pictures {

Vec3 LightDirection() { return Normalize({-0.5, 0.58, 0.64}); }

Rgb Shade(const Material &m, Vec3 normal, double facing) {
  const Vec3 light = LightDirection();
  const Vec3 half = Normalize(light + Vec3{0, 0, 1});
  const double lambert = Dot(normal, light);
  const double diffuse = Clamp01((lambert + 0.35) / 1.35);
  const double ambient = 0.16;
  Rgb colour = m.albedo * (ambient + 0.95 * diffuse * diffuse);
  // Light scattered under the skin brightens the shadow side a little.
  colour = colour + m.albedo * m.albedo * (0.18 * (1 - diffuse));
  const double rim = Pow(1 - Clamp01(facing), 2.2);
  colour = colour * (1 - 0.62 * rim);
  const double nh = std::max(0.0, Dot(normal, half));
  const double highlight =
      m.specular * Pow(nh, m.shininess) + m.sheen * Pow(nh, 6.0);
  const double h = Clamp01(highlight);
  return AddLight(colour, {h, h * 0.97, h * 0.94});
}

} // namespace pictures
