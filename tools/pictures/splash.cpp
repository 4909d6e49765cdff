#include "splash.h"
#include "mathx.h"

#include <numbers>

#include "noise.h"

namespace pictures {

namespace {

// Polynomial smooth minimum: joins shapes with a fillet of size k.
double SmoothMin(double a, double b, double k) {
  const double h = Clamp01(0.5 + 0.5 * (b - a) / k);
  return Mix(b, a, h) - k * h * (1 - h);
}

double SegmentDistance(const Segment &s, double x, double y) {
  const double dx = s.bx - s.ax;
  const double dy = s.by - s.ay;
  const double len2 = dx * dx + dy * dy;
  const double t =
      len2 > 0 ? Clamp01(((x - s.ax) * dx + (y - s.ay) * dy) / len2) : 0.0;
  const double ex = x - (s.ax + t * dx);
  const double ey = y - (s.ay + t * dy);
  return std::sqrt(ex * ex + ey * ey) - Mix(s.wa, s.wb, t);
}

double DropsDistance(const std::vector<Vec3> &drops, double x, double y) {
  double d = 1e9;
  for (const Vec3 &drop : drops)
    d = std::min(d, Hypot(x - drop.x, y - drop.y) - drop.z);
  return d;
}

// Grows one wandering, tapering tendril (and, sometimes, its branches).
void GrowTendril(Sequence &rng, std::vector<Segment> &out,
                 std::vector<Vec3> &drops, double x, double y, double angle,
                 double length, double width, int depth) {
  const int steps = std::max(2, static_cast<int>(length / 0.035));
  const double step = length / steps;
  for (int i = 0; i < steps; ++i) {
    angle += rng.Range(-0.32, 0.32);
    const double w0 = width * (1 - 0.85 * i / steps);
    const double w1 = width * (1 - 0.85 * (i + 1) / steps);
    const double nx = x + Cos(angle) * step;
    const double ny = y + Sin(angle) * step;
    out.push_back({x, y, nx, ny, w0, w1});
    if (depth < 2 && i > 0 && i < steps - 1 && rng.Next() < 0.22) {
      const double side = rng.Next() < 0.5 ? -1.0 : 1.0;
      GrowTendril(rng, out, drops, nx, ny, angle + side * rng.Range(0.5, 0.9),
                  (length - i * step) * rng.Range(0.4, 0.7), w1 * 0.8,
                  depth + 1);
    }
    x = nx;
    y = ny;
  }
  if (rng.Next() < 0.6)
    drops.push_back({x + Cos(angle) * 0.06, y + Sin(angle) * 0.06,
                     width * rng.Range(0.4, 0.8)});
}

} // namespace

TendrilSplash::TendrilSplash(uint32_t seed) : seed_(seed) {
  Sequence rng(seed);
  const int count = 11;
  for (int i = 0; i < count; ++i) {
    const double angle =
        2 * std::numbers::pi * (i + rng.Range(-0.3, 0.3)) / count;
    const double start = 0.2;
    GrowTendril(rng, segments_, drops_, Cos(angle) * start, Sin(angle) * start,
                angle, rng.Range(0.35, 0.72), rng.Range(0.035, 0.06), 0);
  }
}

double TendrilSplash::Distance(double x, double y) const {
  const double angle = Atan2(y, x);
  const double wobble =
      Noise({Cos(angle) * 2.5, Sin(angle) * 2.5, 0.5}, seed_ + 5);
  double d = Hypot(x, y) - (0.27 + 0.06 * wobble);
  for (const Segment &s : segments_) {
    // Segments are short: a cheap bound skips those too far to matter.
    const double reach = Hypot(s.bx - s.ax, s.by - s.ay) / 2 + s.wa + 0.035;
    if (Hypot(x - (s.ax + s.bx) / 2, y - (s.ay + s.by) / 2) - reach > d)
      continue;
    d = SmoothMin(d, SegmentDistance(s, x, y), 0.035);
  }
  return std::min(d, DropsDistance(drops_, x, y));
}

BurstSplash::BurstSplash(uint32_t seed) : seed_(seed) {
  Sequence rng(seed);
  for (int i = 0; i < 9; ++i) {
    const double angle = rng.Range(0, 2 * std::numbers::pi);
    const double radius = rng.Range(0.9, 0.95);
    drops_.push_back(
        {Cos(angle) * radius, Sin(angle) * radius, rng.Range(0.012, 0.03)});
  }
}

double BurstSplash::Distance(double x, double y) const {
  const double angle = Atan2(y, x);
  const double wobble =
      Noise({Cos(angle) * 3.0, Sin(angle) * 3.0, 1.5}, seed_ + 9);
  const double scallop = std::sqrt(std::fabs(Sin(6.5 * angle + 0.4)));
  const double edge = 0.78 + 0.09 * scallop + 0.025 * wobble;
  return std::min(Hypot(x, y) - edge, DropsDistance(drops_, x, y));
}

} // namespace pictures
