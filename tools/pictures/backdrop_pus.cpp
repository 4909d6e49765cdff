#include <numbers>

#include "backdrops.h"
#include "emboss.h"
#include "faces.h"
#include "lettering.h"
#include "mathx.h"
#include "noise.h"

namespace pictures {

namespace {

// Maps brightness onto the yellow of the pus mode: olive shadows, golden
// middle tones, creamy highlights.
Rgb YellowTint(Rgb c) {
  // A little lift first: the glass scatters light into the shadows.
  const double lum = Pow(Clamp01(0.3 * c.x + 0.59 * c.y + 0.11 * c.z), 0.8);
  const Rgb stops[] = {{0.06, 0.055, 0.02},
                       {0.23, 0.22, 0.11},
                       {0.55, 0.45, 0.12},
                       {0.86, 0.72, 0.24},
                       {1.0, 0.96, 0.72}};
  const double at = lum * 4;
  const int i = std::min(3, static_cast<int>(at));
  return Mix(stops[i], stops[i + 1], at - i);
}

} // namespace

Image RenderPusBackdrop() {
  const Image scene = RenderFaces(kBackdropWidth, kBackdropHeight);
  Image out(kBackdropWidth, kBackdropHeight);
  constexpr double kTwoPi = 2 * std::numbers::pi;
  for (int y = 0; y < kBackdropHeight; ++y)
    for (int x = 0; x < kBackdropWidth; ++x) {
      const Vec3 p{x / 90.0, y / 90.0, 0.8};
      const double phaseY = kTwoPi * y / 30.0 + 1.8 * Noise(p, 4500);
      const double phaseX = kTwoPi * x / 44.0 + 1.8 * Noise(p * 1.3, 4510);
      const double dx = 5 * Sin(phaseY) + 3.5 * Fbm(p * 1.5, 3, 4520);
      const double dy = 3 * Sin(phaseX) + 3 * Fbm(p * 1.5, 3, 4530);
      Rgb c;
      for (int k = 0; k < 5; ++k) {
        const double ox = k == 1 ? 1.5 : k == 2 ? -1.5 : 0;
        const double oy = k == 3 ? 1.5 : k == 4 ? -1.5 : 0;
        c = c + scene.Sample(x + dx + ox, y + dy + oy);
      }
      c = c * 0.2;
      // The ripples gather light on one flank of each wave.
      const double lens = 1 + 0.14 * Cos(phaseY) + 0.08 * Cos(phaseX);
      out.At(x, y) = YellowTint(c * lens);
    }

  Mask text(kBackdropWidth, kBackdropHeight);
  DrawText(text, kSerifBold, 40, 600, "LOOK CLOSER: IT IS ALL GUSHMIRE",
           kBackdropWidth / 2, 64, 2);
  EmbossStyle amber;
  amber.material.albedo = {0.98, 0.92, 0.66};
  amber.material.shininess = 50;
  amber.material.specular = 0.6;
  amber.outline = {0.0, 0.0, 0.0};
  amber.bevel = 5;
  amber.bevelRadius = 2;
  amber.shadow = 0.6;
  amber.shadowDx = 3;
  amber.shadowDy = 4;
  Emboss(out, text, amber);
  return out;
}

} // namespace pictures
