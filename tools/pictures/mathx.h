// Transcendental functions from plain arithmetic. The C library picks
// different code for different processors (with or without fused
// multiply-add), which may change a last bit and with it a pixel; these
// give the same bits everywhere, so the committed pictures can be checked
// byte for byte. Accurate to about 1e-12, plenty for pictures.
#pragma once

namespace pictures {

double Sin(double x);
double Cos(double x);
double Atan2(double y, double x);
double Exp(double x);
double Log(double x);                     // x > 0
double Pow(double base, double exponent); // base >= 0
double Hypot(double x, double y);

} // namespace pictures
