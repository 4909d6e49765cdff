#include "image.h"

namespace pictures {

Rgb Image::Sample(double x, double y) const {
  x = std::clamp(x, 0.0, width - 1.0);
  y = std::clamp(y, 0.0, height - 1.0);
  const int x0 = static_cast<int>(x);
  const int y0 = static_cast<int>(y);
  const int x1 = std::min(x0 + 1, width - 1);
  const int y1 = std::min(y0 + 1, height - 1);
  const double fx = x - x0;
  const double fy = y - y0;
  const Rgb top = Mix(At(x0, y0), At(x1, y0), fx);
  const Rgb bottom = Mix(At(x0, y1), At(x1, y1), fx);
  return Mix(top, bottom, fy);
}

namespace {

// One box pass along rows (dx = 1) or columns (dx = 0).
Mask BoxPass(const Mask &in, int radius, bool rows) {
  Mask out(in.width, in.height);
  const double scale = 1.0 / (2 * radius + 1);
  for (int y = 0; y < in.height; ++y)
    for (int x = 0; x < in.width; ++x) {
      double sum = 0;
      for (int k = -radius; k <= radius; ++k)
        sum += rows ? in.Get(x + k, y) : in.Get(x, y + k);
      out.At(x, y) = sum * scale;
    }
  return out;
}

} // namespace

Mask Blur(const Mask &in, int radius) {
  if (radius <= 0)
    return in;
  Mask m = in;
  for (int pass = 0; pass < 3; ++pass)
    m = BoxPass(BoxPass(m, radius, true), radius, false);
  return m;
}

} // namespace pictures
