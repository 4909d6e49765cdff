#include "frames.h"
#include "mathx.h"

#include <numbers>

#include "noise.h"
#include "shading.h"
#include "splash.h"
#include "veins.h"

namespace pictures {

namespace {

// Four samples per pixel keep thin veins, seams, splash edges and the bumpy
// highlights free of jaggies and sparkle.
constexpr int kSuper = 2;
constexpr int kGrid = kFrameSize * kSuper;
constexpr double kStep = 2.0 / kGrid; // one sample in disc units

struct Colours {
  Rgb dark, base, light, vein, pale, splash, deep;
};

const Colours kBlood{{0.30, 0.015, 0.025}, {0.56, 0.04, 0.05},
                     {0.80, 0.15, 0.12},   {0.34, 0.02, 0.10},
                     {0.93, 0.55, 0.55},   {0.40, 0.012, 0.02},
                     {0.16, 0.0, 0.008}};
const Colours kPus{{0.62, 0.40, 0.05}, {0.86, 0.66, 0.13}, {0.98, 0.88, 0.42},
                   {0.64, 0.43, 0.07}, {0.99, 0.96, 0.76}, {0.80, 0.53, 0.06},
                   {0.6, 0.38, 0.035}};

struct Surface {
  Material material;
  double height = 0;
  double flatten = 0; // how far the normal is pulled flat (liquid pools)
};

// The skin of the sphere before it splits, at unit-sphere point p.
Surface Skin(Humour humour, int stage, Vec3 p) {
  const Colours &c = humour == Humour::Blood ? kBlood : kPus;
  const uint32_t seed = humour == Humour::Blood ? 1000u : 2000u;
  Surface s;
  Rgb albedo;
  if (humour == Humour::Blood) {
    const double mottle = Fbm(p * 3.0, 5, seed);
    const double spots = Fbm(p * 11.0, 3, seed + 20);
    albedo = Mix(c.dark, c.light, Smoothstep(-0.75, 0.85, mottle));
    albedo = albedo * (1 - 0.2 * Smoothstep(0.15, 0.7, spots));
    s.height = 0.010 * mottle + 0.004 * spots;
  } else {
    const double strength = stage == 1 ? 1.0 : 1.6;
    const MarbleSample m = Marble(p, strength, seed);
    const double band =
        Smoothstep(0.5 - 0.4 / strength, 0.5 + 0.4 / strength, m.band);
    albedo = Mix(c.light, Mix(c.base, c.dark, 0.3 * strength), band);
    albedo = Mix(albedo, c.vein * 0.8, (stage == 1 ? 0.35 : 0.6) * m.seam);
    s.height = 0.008 * band + (stage == 1 ? 0.004 : 0.02) * m.seam;
  }
  if (stage >= 3)
    albedo = Mix(albedo, c.pale, stage == 3 ? 0.58 : 0.8);
  if (stage == 2 || stage == 3) {
    const bool stretched = stage == 3;
    const Vec3 q = stretched ? Vec3{p.x * 0.75, p.y * 1.1, p.z * 0.75} : p;
    const double vein = VeinField(q, stretched ? 1.7 : 2.6,
                                  stretched ? 0.05 : 0.085, seed + 70);
    const double weight = humour == Humour::Blood ? 1.0 : 0.3;
    s.height += (stretched ? 0.022 : 0.04) * vein * weight;
    albedo = Mix(albedo, stretched ? Mix(c.vein, c.pale, 0.35) : c.vein,
                 (stretched ? 0.6 : 0.75) * vein * weight);
  }
  s.material.albedo = albedo;
  s.material.shininess = stage >= 3 ? 60 : 38;
  s.material.specular = stage >= 3 ? 0.75 : 0.55;
  s.material.sheen = stage >= 3 ? 0.14 : 0.1;
  return s;
}

// Lays a liquid pool over the skin where `distance` (to the splash edge) is
// negative; `depth` is the distance over which the pool deepens.
Surface Pool(Surface skin, const Colours &c, double distance, double depth,
             Vec3 p, uint32_t seed, double flatten) {
  const double cover = Smoothstep(0.006, -0.006, distance);
  const double thick = Clamp01(-distance / depth);
  Rgb liquid = Mix(c.splash, c.deep, Smoothstep(0.0, 1.0, thick));
  const double angle = Atan2(p.y, p.x);
  const double streak =
      0.5 + 0.5 * Sin(angle * 31 + 4 * Noise(p * 3.0, seed + 3));
  liquid = liquid * (0.88 + 0.24 * streak * (1 - thick));
  // A dark wet stain soaks into the skin just outside the edge.
  const double stain = Smoothstep(0.05, 0.0, distance) * (1 - cover);
  skin.material.albedo = skin.material.albedo * (1 - 0.3 * stain);
  Surface s;
  s.material.albedo = Mix(skin.material.albedo, liquid, cover);
  const double ripples = 0.004 * Fbm(p * 9.0, 3, seed + 11);
  // The liquid all but buries the skin's relief.
  s.height = skin.height * (1 - 0.8 * cover) +
             cover * (0.035 * std::sqrt(thick) + ripples);
  s.material.shininess = Mix(skin.material.shininess, 110, cover);
  s.material.specular = Mix(skin.material.specular, 0.95, cover);
  s.material.sheen = Mix(skin.material.sheen, 0.18, cover);
  s.flatten = flatten * cover;
  return s;
}

struct Sampled {
  Surface surface;
  Vec3 point;
  bool inside = false;
};

} // namespace

bool InsideDisc(int x, int y) {
  const double dx = x + 0.5 - kFrameSize / 2.0;
  const double dy = y + 0.5 - kFrameSize / 2.0;
  return dx * dx + dy * dy < (kFrameSize / 2.0) * (kFrameSize / 2.0);
}

Image RenderFrame(Humour humour, int stage) {
  const Colours &c = humour == Humour::Blood ? kBlood : kPus;
  const uint32_t seed = humour == Humour::Blood ? 1000u : 2000u;
  const TendrilSplash tendrils(seed + 400);
  const BurstSplash burst(seed + 500);

  std::vector<Sampled> grid(static_cast<std::size_t>(kGrid * kGrid));
  auto cell = [&](int i, int j) -> Sampled & {
    return grid[static_cast<std::size_t>(j) * kGrid +
                static_cast<std::size_t>(i)];
  };
  for (int j = 0; j < kGrid; ++j)
    for (int i = 0; i < kGrid; ++i) {
      const double u = (i + 0.5) * kStep - 1;
      const double v = 1 - (j + 0.5) * kStep;
      const double r2 = u * u + v * v;
      if (r2 >= 1)
        continue;
      Sampled &s = cell(i, j);
      s.inside = true;
      s.point = {u, v, std::sqrt(1 - r2)};
      if (stage <= 3) {
        s.surface = Skin(humour, stage, s.point);
      } else if (stage == 4) {
        s.surface = Pool(Skin(humour, 3, s.point), c, tendrils.Distance(u, v),
                         0.12, s.point, seed, 0.15);
      } else {
        s.surface = Pool(Skin(humour, 5, s.point), c, burst.Distance(u, v), 0.3,
                         s.point, seed, 0.35);
      }
    }

  Image out(kFrameSize, kFrameSize, {1, 1, 1});
  for (int y = 0; y < kFrameSize; ++y)
    for (int x = 0; x < kFrameSize; ++x) {
      if (!InsideDisc(x, y))
        continue;
      Rgb sum;
      int count = 0;
      for (int sj = 0; sj < kSuper; ++sj)
        for (int si = 0; si < kSuper; ++si) {
          const int i = x * kSuper + si;
          const int j = y * kSuper + sj;
          const Sampled &s = cell(i, j);
          if (!s.inside)
            continue;
          auto height = [&](int a, int b) {
            if (a < 0 || b < 0 || a >= kGrid || b >= kGrid ||
                !cell(a, b).inside)
              return s.surface.height;
            return cell(a, b).surface.height;
          };
          const double dhdu =
              (height(i + 1, j) - height(i - 1, j)) / (2 * kStep);
          const double dhdv =
              (height(i, j - 1) - height(i, j + 1)) / (2 * kStep);
          Vec3 normal = Normalize(s.point - Vec3{dhdu, dhdv, 0} * s.point.z);
          normal = Normalize(Mix(normal, Vec3{0, 0, 1}, s.surface.flatten));
          const double facing = Mix(s.point.z, 1.0, 0.5 * s.surface.flatten);
          sum = sum + Shade(s.surface.material, normal, facing);
          ++count;
        }
      out.At(x, y) = count > 0 ? sum * (1.0 / count) : Rgb{1, 1, 1};
    }
  return out;
}

} // namespace pictures
