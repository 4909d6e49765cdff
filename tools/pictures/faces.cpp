#include "faces.h"
#include "mathx.h"

#include <algorithm>

#include "noise.h"
#include "shading.h"

namespace pictures {

namespace {

struct Face {
  double cx, cy, size; // centre and head half-height in pixels
  double tilt;         // radians
  Rgb skin, hair, cloth;
  double gazeX, smile;
};

double Ellipse(double u, double v, double cu, double cv, double ru, double rv) {
  const double a = (u - cu) / ru;
  const double b = (v - cv) / rv;
  return a * a + b * b;
}

// Soft inside test of an ellipse: 1 inside, 0 outside, blurred over `soft`.
double Blob(double u, double v, double cu, double cv, double ru, double rv,
            double soft = 0.08) {
  return Smoothstep(1 + soft, 1 - soft, Ellipse(u, v, cu, cv, ru, rv));
}

// Colour and coverage of one face at local coordinates (u, v): v grows
// downward, the head spans v in [-1, 1].
bool PaintFace(const Face &f, double u, double v, Rgb &colour) {
  const double head = Ellipse(u, v, 0, 0, 0.78, 1.0);
  const bool inHair = Ellipse(u, v, 0, -0.08, 0.86, 1.02) < 1 && v < 0.1;
  const bool inNeck = std::fabs(u) < 0.34 && v > 0.6 && v < 1.35;
  const double shoulderHalf = 0.5 + (v - 1.15) * 1.6;
  const bool inBody = v > 1.15 && std::fabs(u) < shoulderHalf;
  const bool inEars = std::min(Ellipse(u, v, -0.78, 0.08, 0.13, 0.22),
                               Ellipse(u, v, 0.78, 0.08, 0.13, 0.22)) < 1;
  if (head >= 1 && !inHair && !inNeck && !inBody && !inEars)
    return false;
  Material skin;
  skin.shininess = 18;
  skin.specular = 0.18;
  skin.sheen = 0.05;
  if (head < 1) {
    Rgb a = f.skin * 1.12;
    // Cheeks, eye sockets and the shadow beside the nose.
    a = Mix(a, a * Rgb{1.1, 0.8, 0.8},
            0.5 * (Blob(u, v, -0.42, 0.32, 0.2, 0.16, 0.9) +
                   Blob(u, v, 0.42, 0.32, 0.2, 0.16, 0.9)));
    a = a * (1 - 0.35 * (Blob(u, v, -0.31, -0.04, 0.22, 0.14, 0.8) +
                         Blob(u, v, 0.31, -0.04, 0.22, 0.14, 0.8)));
    a = a * (1 - 0.3 * Blob(u, v, 0.08, 0.18, 0.05, 0.2, 0.7));
    a = a * (1 - 0.6 * (Blob(u, v, -0.07, 0.33, 0.045, 0.022) +
                        Blob(u, v, 0.07, 0.33, 0.045, 0.022)));
    // Brows.
    for (double side : {-1.0, 1.0}) {
      const double du = u - side * 0.31;
      const double browV = -0.24 - 0.05 * Cos(du * 5);
      if (std::fabs(du) < 0.17 && std::fabs(v - browV) < 0.035)
        a = Mix(a, f.hair, 0.85);
    }
    // Mouth: lips and the line between them.
    const double lips = Blob(u, v, 0, 0.56, 0.23, 0.075);
    a = Mix(a, f.skin * Rgb{0.85, 0.45, 0.42}, lips);
    const double line = 0.56 - f.smile * 0.12 * (1 - (u / 0.23) * (u / 0.23));
    if (std::fabs(u) < 0.22 && std::fabs(v - line) < 0.014)
      a = a * 0.3;
    // Eyes: white, iris, pupil, a glint and the lid line.
    for (double side : {-1.0, 1.0}) {
      const double eu = side * 0.31;
      const double white = Blob(u, v, eu, -0.02, 0.14, 0.065, 0.15);
      if (white <= 0)
        continue;
      Rgb eye{0.9, 0.88, 0.84};
      eye = Mix(eye, Rgb{0.25, 0.18, 0.1},
                Blob(u, v, eu + f.gazeX, -0.02, 0.062, 0.062));
      eye = Mix(eye, Rgb{0.02, 0.02, 0.02},
                Blob(u, v, eu + f.gazeX, -0.02, 0.03, 0.03));
      eye = Mix(eye, Rgb{1, 1, 1},
                Blob(u, v, eu + f.gazeX - 0.02, -0.04, 0.013, 0.013));
      if (std::fabs(v -
                    (-0.02 - 0.065 * std::sqrt(Clamp01(
                                         1 - Ellipse(u, 0, eu, 0, 0.14, 1))))) <
          0.016)
        eye = eye * 0.2;
      a = Mix(a, eye, white);
    }
    skin.albedo = a;
    const double nz = std::sqrt(std::max(0.0, 1 - head));
    const Vec3 normal = Normalize({u / (0.78 * 0.78), -v, nz});
    colour = Shade(skin, normal, nz);
    if (inHair) {
      const double strands = 0.75 + 0.25 * Fbm({u * 3, v * 25, f.cx}, 3, 4100);
      const double cover =
          Smoothstep(-0.42, -0.58, v - 0.12 * Cos(u * 5)) +
          Smoothstep(0.62, 0.74, std::fabs(u)) * Smoothstep(0.2, -0.2, v);
      colour = Mix(colour, f.hair * strands * (0.5 + 0.5 * nz), Clamp01(cover));
    }
    return true;
  }
  if (inHair) {
    const double strands = 0.75 + 0.25 * Fbm({u * 3, v * 25, f.cx}, 3, 4100);
    colour = f.hair * strands * 0.7;
    return true;
  }
  if (inEars) {
    skin.albedo = f.skin * 0.85;
    colour = Shade(skin, Normalize({u, -v, 0.6}), 0.6);
    return true;
  }
  if (inNeck && !inBody) {
    skin.albedo = f.skin * (0.55 + 0.2 * Clamp01(v - 0.6));
    colour = Shade(skin, Normalize({u * 1.2, 0.2, 1}), 0.8);
    return true;
  }
  Material cloth;
  cloth.albedo = f.cloth * (0.85 + 0.15 * Fbm({u * 4, v * 4, f.cy}, 3, 4200));
  cloth.shininess = 8;
  cloth.specular = 0.05;
  colour =
      Shade(cloth, Normalize({u / std::max(0.2, shoulderHalf), 0.3, 1}), 0.9);
  return true;
}

std::vector<Face> Crowd() {
  const Rgb skins[] = {{0.86, 0.64, 0.52},
                       {0.66, 0.46, 0.34},
                       {0.92, 0.74, 0.62},
                       {0.48, 0.32, 0.22},
                       {0.80, 0.58, 0.44}};
  const Rgb hairs[] = {{0.12, 0.08, 0.05},
                       {0.35, 0.22, 0.1},
                       {0.05, 0.04, 0.04},
                       {0.6, 0.45, 0.25},
                       {0.25, 0.2, 0.18}};
  const Rgb cloths[] = {{0.15, 0.2, 0.35},
                        {0.4, 0.12, 0.1},
                        {0.2, 0.3, 0.2},
                        {0.3, 0.28, 0.25},
                        {0.5, 0.45, 0.4}};
  const double spots[][3] = {{55, 215, 52},  {205, 205, 58}, {440, 200, 60},
                             {600, 215, 55}, {320, 195, 50}, {130, 300, 92},
                             {510, 305, 96}, {318, 315, 112}};
  std::vector<Face> faces;
  Sequence rng(4000);
  int i = 0;
  for (const auto &s : spots) {
    faces.push_back({s[0], s[1], s[2], rng.Range(-0.12, 0.12), skins[i % 5],
                     hairs[(i * 3 + 1) % 5], cloths[(i * 2 + 3) % 5],
                     rng.Range(-0.04, 0.04), rng.Range(-0.4, 0.6)});
    ++i;
  }
  std::stable_sort(
      faces.begin(), faces.end(),
      [](const Face &a, const Face &b) { return a.size < b.size; });
  return faces;
}

} // namespace

Image RenderFaces(int width, int height) {
  const std::vector<Face> faces = Crowd();
  Image out(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double t = static_cast<double>(y) / height;
      Rgb colour = Mix(Rgb{0.8, 0.77, 0.7}, Rgb{0.4, 0.37, 0.33}, t);
      colour = colour * (0.85 + 0.15 * Fbm({x / 70.0, y / 70.0, 0.5}, 4, 4300));
      for (const Face &f : faces) {
        const double dx = (x - f.cx) / f.size;
        const double dy = (y - f.cy) / f.size;
        const double c = Cos(f.tilt);
        const double s = Sin(f.tilt);
        Rgb painted;
        if (PaintFace(f, c * dx + s * dy, -s * dx + c * dy, painted))
          colour = painted;
      }
      out.At(x, y) = colour;
    }
  return out;
}

} // namespace pictures
