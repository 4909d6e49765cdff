// Command-line options of gushmire-render: the run options and its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "run_options.h"

struct RenderOptions : RunOptions {
  std::vector<long> pngAt; // ascending, each 0..steps
  std::string pngDir = ".";
  std::string gifPath; // empty: no GIF
  long gifEvery = 1;
  double gifScale = 1.0;
  std::string background = "desktop"; // "desktop", "black" or a PNG file
};

constexpr int renderMaxSide = 16384;
constexpr long renderMaxPixels = 1L << 26;
constexpr long renderMaxSteps = 10000000L;
// GIF delays are 16-bit hundredths of a second, 10 per step.
constexpr long renderMaxGifEvery = 6553;

// Fills `options` from argv; false on any unknown, repeated, missing,
// malformed or out-of-range argument, or an option that needs another.
bool ParseRenderArguments(int argc, const char *const *argv,
                          RenderOptions &options);

extern const char renderUsage[];
