#include "mathx.h"

#include <cmath>
#include <numbers>

namespace pictures {

namespace {

constexpr double kPi = std::numbers::pi;

// sin on [-pi/4, pi/4] and cos on the same range, Taylor to degree 17/16.
double SinKernel(double x) {
  const double x2 = x * x;
  double term = x;
  double sum = x;
  for (int n = 1; n <= 8; ++n) {
    term *= -x2 / ((2 * n) * (2 * n + 1));
    sum += term;
  }
  return sum;
}

double CosKernel(double x) {
  const double x2 = x * x;
  double term = 1;
  double sum = 1;
  for (int n = 1; n <= 8; ++n) {
    term *= -x2 / ((2 * n - 1) * (2 * n));
    sum += term;
  }
  return sum;
}

// atan on [0, 1] after halving the angle twice.
double AtanUnit(double t) {
  // atan(t) = 2 atan(t / (1 + sqrt(1 + t^2))), applied twice.
  for (int i = 0; i < 2; ++i)
    t = t / (1 + std::sqrt(1 + t * t));
  const double t2 = t * t;
  double term = t;
  double sum = t;
  for (int n = 1; n <= 12; ++n) {
    term *= -t2;
    sum += term / (2 * n + 1);
  }
  return 4 * sum;
}

} // namespace

double Sin(double x) {
  // Quarter turns: x = q * pi/2 + r with |r| <= pi/4.
  const double q = std::floor(x / (kPi / 2) + 0.5);
  const double r = x - q * (kPi / 2);
  const long quadrant = static_cast<long>(q) & 3;
  switch (quadrant) {
  case 0:
    return SinKernel(r);
  case 1:
    return CosKernel(r);
  case 2:
    return -SinKernel(r);
  default:
    return -CosKernel(r);
  }
}

double Cos(double x) { return Sin(x + kPi / 2); }

double Atan2(double y, double x) {
  if (x == 0 && y == 0)
    return 0;
  const double ax = std::fabs(x);
  const double ay = std::fabs(y);
  double a = ay <= ax ? AtanUnit(ay / ax) : kPi / 2 - AtanUnit(ax / ay);
  if (x < 0)
    a = kPi - a;
  return y < 0 ? -a : a;
}

double Exp(double x) {
  if (x < -700)
    return 0;
  if (x > 700)
    x = 700;
  // e^x = 2^k e^r with |r| <= ln2 / 2.
  const double k = std::floor(x / std::numbers::ln2 + 0.5);
  const double r = x - k * std::numbers::ln2;
  double term = 1;
  double sum = 1;
  for (int n = 1; n <= 14; ++n) {
    term *= r / n;
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(k));
}

double Log(double x) {
  if (x <= 0)
    return -745;
  int exponent = 0;
  const double m = std::frexp(x, &exponent); // x = m 2^e, m in [0.5, 1)
  // ln m = 2 atanh((m - 1) / (m + 1)).
  const double s = (m - 1) / (m + 1);
  const double s2 = s * s;
  double term = s;
  double sum = s;
  for (int n = 1; n <= 16; ++n) {
    term *= s2;
    sum += term / (2 * n + 1);
  }
  return 2 * sum + exponent * std::numbers::ln2;
}

double Pow(double base, double exponent) {
  if (base <= 0)
    return exponent == 0 ? 1 : 0;
  return Exp(exponent * Log(base));
}

double Hypot(double x, double y) { return std::sqrt(x * x + y * y); }

} // namespace pictures
