#include "backdrops.h"
#include "emboss.h"
#include "lettering.h"
#include "noise.h"
#include "veins.h"

namespace pictures {

namespace {

struct Flesh {
  Mask height;
  Image albedo;
};

Flesh FleshTexture() {
  Flesh f{Mask(kBackdropWidth, kBackdropHeight),
          Image(kBackdropWidth, kBackdropHeight)};
  const Rgb deep{0.22, 0.015, 0.03};
  const Rgb mid{0.58, 0.09, 0.09};
  const Rgb high{0.86, 0.36, 0.32};
  const Rgb vein{0.30, 0.03, 0.12};
  for (int y = 0; y < kBackdropHeight; ++y)
    for (int x = 0; x < kBackdropWidth; ++x) {
      const Vec3 p{x / 120.0, y / 120.0, 0.37};
      const Vec3 q = p + FbmVec(p * 0.6, 4, 3000) * 1.2;
      const double folds = Fbm(q * 1.1, 5, 3010);
      const double pores = Fbm(q * 7.0, 2, 3020);
      const double veins = VeinField(p * 0.5, 2.4, 0.07, 3030);
      f.height.At(x, y) = 0.9 * folds + 0.05 * pores + 0.28 * veins;
      Rgb a = Mix(deep, mid, Smoothstep(-0.8, 0.1, folds));
      a = Mix(a, high, Smoothstep(0.1, 0.9, folds));
      a = a * (1 - 0.25 * Smoothstep(0.0, 0.6, pores));
      f.albedo.At(x, y) = Mix(a, vein, 0.7 * veins);
    }
  return f;
}

} // namespace

Image RenderBloodBackdrop() {
  const Flesh flesh = FleshTexture();
  Image out(kBackdropWidth, kBackdropHeight);
  Material wet;
  wet.shininess = 30;
  wet.specular = 0.35;
  wet.sheen = 0.05;
  for (int y = 0; y < kBackdropHeight; ++y)
    for (int x = 0; x < kBackdropWidth; ++x) {
      const double gx =
          (flesh.height.Get(x + 1, y) - flesh.height.Get(x - 1, y)) * 0.5;
      const double gy =
          (flesh.height.Get(x, y + 1) - flesh.height.Get(x, y - 1)) * 0.5;
      const Vec3 normal = Normalize({-gx * 40, gy * 40, 1});
      wet.albedo = flesh.albedo.At(x, y);
      const double dx = (x - kBackdropWidth / 2.0) / (kBackdropWidth / 2.0);
      const double dy = (y - kBackdropHeight / 2.0) / (kBackdropHeight / 2.0);
      const double vignette = 1 - 0.4 * Clamp01((dx * dx + dy * dy) / 2);
      out.At(x, y) = Shade(wet, normal, 1.0) * vignette;
    }

  Mask title(kBackdropWidth, kBackdropHeight);
  const TextBox box = DrawText(title, kSerifBold, 150, 600, "Gushmire",
                               kBackdropWidth / 2, 230);
  AddDrips(title, box.top, box.bottom + 1, 110, 3100);
  // A dark halo behind the title lifts it off the flesh.
  const Mask halo = Blur(title, 9);
  for (int y = 0; y < kBackdropHeight; ++y)
    for (int x = 0; x < kBackdropWidth; ++x)
      out.At(x, y) = out.At(x, y) * (1 - 0.55 * Clamp01(halo.Get(x, y) * 1.6));
  EmbossStyle blood;
  blood.material.albedo = {0.86, 0.04, 0.04};
  blood.material.shininess = 70;
  blood.material.specular = 0.9;
  blood.material.sheen = 0.15;
  blood.outline = {0.0, 0.0, 0.0};
  blood.bevel = 9;
  blood.bevelRadius = 3;
  Emboss(out, title, blood);

  Mask publisher(kBackdropWidth, kBackdropHeight);
  DrawText(publisher, kSansBold, 21, 560, "THE GUSHMIRE DEVELOPERS PRESENT",
           kBackdropWidth / 2, 62, 3);
  EmbossStyle bone;
  bone.material.albedo = {0.96, 0.88, 0.80};
  bone.material.shininess = 30;
  bone.material.specular = 0.3;
  bone.outline = {0.08, 0.01, 0.01};
  bone.bevel = 3;
  bone.bevelRadius = 1;
  bone.shadowDx = 2;
  bone.shadowDy = 3;
  Emboss(out, publisher, bone);
  return out;
}

} // namespace pictures
