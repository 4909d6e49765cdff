// The command line of gushmire-trace, which gushmire-soak shares.
#pragma once

#include <cstdint>

struct TraceOptions {
  uint32_t seed = 0;
  int width = 0;
  int height = 0;
  bool preview = false;
  long steps = 0;
};

constexpr int traceMaxSide = 65535;
constexpr long traceMaxSteps = 1000000000L;

// The options argv gives. On any unknown, repeated, missing or malformed
// argument prints the usage and ends the program with status 2.
TraceOptions TraceArgumentsOrExit(int argc, const char *const *argv);
