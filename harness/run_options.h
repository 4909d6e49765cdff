// The options of every tool that plays a run of the animation:
// --seed S --size WxH [--preview] --steps N. gushmire-trace and
// gushmire-soak take just these; gushmire-render adds its own.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

struct RunOptions {
  uint32_t seed = 0;
  int width = 0;
  int height = 0;
  bool preview = false;
  long steps = 0;
};

// What a tool accepts: sides 1..maxSide, width * height up to maxPixels.
struct RunLimits {
  int maxSide;
  long long maxPixels;
  long minSteps;
  long maxSteps;
};

// Another option of the tool, with the value that follows it: true when
// the tool knows the option and the value is good.
using ExtraOption =
    std::function<bool(std::string_view option, std::string_view value)>;

// Fills `run` from argv, handing options other than the four to `extra`
// (none: refused). False on any unknown, repeated, missing or malformed
// option or one out of `limits`, and without --seed, --size and --steps.
bool ParseRunArguments(int argc, const char *const *argv,
                       const RunLimits &limits, RunOptions &run,
                       const ExtraOption &extra = nullptr);

// A whole decimal number in [low, high], digits only.
bool ParseWhole(std::string_view text, long long low, long long high,
                long long &value);

// gushmire-trace and gushmire-soak: the run argv gives. On any mistake
// prints the usage and ends the program with status 2.
constexpr RunLimits kTraceLimits{65535, 65535LL * 65535, 1, 1000000000L};
RunOptions TraceArgumentsOrExit(int argc, const char *const *argv);
