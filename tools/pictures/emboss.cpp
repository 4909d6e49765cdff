#include "emboss.h"

namespace pictures {

void Emboss(Image &image, const Mask &mask, const EmbossStyle &style) {
  const Mask height = Blur(mask, style.bevelRadius);
  const Mask rim = Blur(mask, 1);
  Mask shifted(mask.width, mask.height);
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x)
      shifted.At(x, y) = mask.Get(x - style.shadowDx, y - style.shadowDy);
  const Mask shadow = Blur(shifted, 3);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      Rgb &px = image.At(x, y);
      const double m = mask.Get(x, y);
      px = px * (1 - style.shadow * shadow.Get(x, y) * (1 - m));
      const double edge = Clamp01(rim.Get(x, y) * 2.5) * (1 - m);
      px = Mix(px, style.outline, edge);
      if (m <= 0)
        continue;
      const double gx = (height.Get(x + 1, y) - height.Get(x - 1, y)) * 0.5;
      const double gy = (height.Get(x, y + 1) - height.Get(x, y - 1)) * 0.5;
      // Image rows grow downward; the light's y grows upward.
      const Vec3 normal = Normalize({-gx * style.bevel, gy * style.bevel, 1});
      px = Mix(px, Shade(style.material, normal, 1.0), m);
    }
}

} // namespace pictures
