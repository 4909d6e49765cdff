#include "trace_args.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Decimal digits only, no sign or blanks, at most `limit`. Stops at `end`
// or the end of the text; `rest` receives where it stopped.
bool ParseNumber(const char *text, uint64_t limit, char end, uint64_t &value,
                 const char *&rest) {
  value = 0;
  const char *p = text;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + static_cast<uint64_t>(*p - '0');
    if (value > limit) {
      return false;
    }
  }
  rest = p;
  return p != text && *p == end;
}

bool ParseWhole(const char *text, uint64_t limit, uint64_t &value) {
  const char *rest = nullptr;
  return ParseNumber(text, limit, '\0', value, rest);
}

bool ParseSize(const char *text, int &width, int &height) {
  uint64_t w = 0;
  uint64_t h = 0;
  const char *rest = nullptr;
  if (!ParseNumber(text, traceMaxSide, 'x', w, rest) ||
      !ParseWhole(rest + 1, traceMaxSide, h) || w == 0 || h == 0) {
    return false;
  }
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

bool ParseTraceArguments(int argc, const char *const *argv,
                         TraceOptions &options) {
  bool haveSeed = false;
  bool haveSize = false;
  bool haveSteps = false;
  options = TraceOptions{};
  for (int i = 1; i < argc; ++i) {
    const char *flag = argv[i];
    if (std::strcmp(flag, "--preview") == 0) {
      if (options.preview) {
        return false;
      }
      options.preview = true;
      continue;
    }
    if (i + 1 >= argc) {
      return false;
    }
    const char *value = argv[++i];
    uint64_t number = 0;
    if (std::strcmp(flag, "--seed") == 0 && !haveSeed) {
      if (!ParseWhole(value, UINT32_MAX, number)) {
        return false;
      }
      options.seed = static_cast<uint32_t>(number);
      haveSeed = true;
    } else if (std::strcmp(flag, "--size") == 0 && !haveSize) {
      if (!ParseSize(value, options.width, options.height)) {
        return false;
      }
      haveSize = true;
    } else if (std::strcmp(flag, "--steps") == 0 && !haveSteps) {
      if (!ParseWhole(value, traceMaxSteps, number) || number == 0) {
        return false;
      }
      options.steps = static_cast<long>(number);
      haveSteps = true;
    } else {
      return false;
    }
  }
  return haveSeed && haveSize && haveSteps;
}

} // namespace

TraceOptions TraceArgumentsOrExit(int argc, const char *const *argv) {
  TraceOptions options;
  if (!ParseTraceArguments(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: %s --seed S --size WxH [--preview] --steps N "
                 "(S 0..4294967295, W and H 1..65535, N 1..1000000000)\n",
                 argc > 0 && argv[0] != nullptr ? argv[0] : "gushmire-trace");
    std::exit(2);
  }
  return options;
}
