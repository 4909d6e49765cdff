// Command-line options of gushmire-trace.
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

// Fills `options` from argv; false on any unknown, repeated, missing or
// malformed argument.
bool ParseTraceArguments(int argc, const char *const *argv,
                         TraceOptions &options);

extern const char traceUsage[];
