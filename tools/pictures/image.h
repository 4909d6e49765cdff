// Small value types shared by the picture generator: a 3-vector that also
// serves as a colour (components 0..1), and an RGB image.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace pictures {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};
using Rgb = Vec3;

inline Vec3 operator+(Vec3 a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(Vec3 a, Vec3 b) {
  return {a.x * b.x, a.y * b.y, a.z * b.z};
}
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Normalize(Vec3 a) {
  const double len = Length(a);
  return len > 0 ? a * (1.0 / len) : Vec3{0, 0, 1};
}

inline double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
inline double Mix(double a, double b, double t) { return a + (b - a) * t; }
inline Vec3 Mix(Vec3 a, Vec3 b, double t) { return a + (b - a) * t; }
inline double Smoothstep(double edge0, double edge1, double v) {
  const double t = Clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

// Screen-blend style lightening by a white-ish highlight.
inline Rgb AddLight(Rgb base, Rgb light) {
  return {1 - (1 - base.x) * (1 - light.x), 1 - (1 - base.y) * (1 - light.y),
          1 - (1 - base.z) * (1 - light.z)};
}

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels; // row 0 on top

  Image() = default;
  Image(int w, int h, Rgb fill = {})
      : width(w), height(h),
        pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h),
               fill) {}
  Rgb &At(int x, int y) {
    return pixels[static_cast<std::size_t>(y) *
                      static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  const Rgb &At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) *
                      static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  // Bilinear sample with clamped edges; x, y in pixel units.
  Rgb Sample(double x, double y) const;
};

// A single-channel coverage or height map.
struct Mask {
  int width = 0;
  int height = 0;
  std::vector<double> values;

  Mask() = default;
  Mask(int w, int h)
      : width(w), height(h),
        values(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0.0) {
  }
  double &At(int x, int y) {
    return values[static_cast<std::size_t>(y) *
                      static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  double Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
      return 0.0;
    return values[static_cast<std::size_t>(y) *
                      static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// Separable box blur repeated three times (close to a Gaussian).
Mask Blur(const Mask &in, int radius);

} // namespace pictures
