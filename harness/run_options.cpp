#include "run_options.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool ParseSize(std::string_view text, const RunLimits &limits, int &width,
               int &height) {
  const auto cross = text.find('x');
  long long w = 0;
  long long h = 0;
  if (cross == std::string_view::npos ||
      !ParseWhole(text.substr(0, cross), 1, limits.maxSide, w) ||
      !ParseWhole(text.substr(cross + 1), 1, limits.maxSide, h) ||
      w * h > limits.maxPixels) {
    return false;
  }
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

} // namespace

bool ParseWhole(std::string_view text, long long low, long long high,
                long long &value) {
  if (text.empty() || text.front() < '0' || text.front() > '9') {
    return false;
  }
  const char *end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end && value >= low && value <= high;
}

bool ParseRunArguments(int argc, const char *const *argv,
                       const RunLimits &limits, RunOptions &run,
                       const ExtraOption &extra) {
  run = RunOptions{};
  std::vector<std::string_view> seen;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (std::find(seen.begin(), seen.end(), option) != seen.end()) {
      return false;
    }
    seen.push_back(option);
    if (option == "--preview") {
      run.preview = true;
      continue;
    }
    if (i + 1 >= argc) {
      return false;
    }
    const std::string_view value = argv[++i];
    long long number = 0;
    bool ok = true;
    if (option == "--seed") {
      ok = ParseWhole(value, 0, UINT32_MAX, number);
      run.seed = static_cast<uint32_t>(number);
    } else if (option == "--size") {
      ok = ParseSize(value, limits, run.width, run.height);
    } else if (option == "--steps") {
      ok = ParseWhole(value, limits.minSteps, limits.maxSteps, number);
      run.steps = static_cast<long>(number);
    } else {
      ok = extra && extra(option, value);
    }
    if (!ok) {
      return false;
    }
  }
  const auto given = [&seen](std::string_view name) {
    return std::find(seen.begin(), seen.end(), name) != seen.end();
  };
  return given("--seed") && given("--size") && given("--steps");
}

RunOptions TraceArgumentsOrExit(int argc, const char *const *argv) {
  RunOptions options;
  if (!ParseRunArguments(argc, argv, kTraceLimits, options)) {
    std::fprintf(stderr,
                 "usage: %s --seed S --size WxH [--preview] --steps N "
                 "(S 0..4294967295, W and H 1..65535, N 1..1000000000)\n",
                 argc > 0 && argv[0] != nullptr ? argv[0] : "gushmire-trace");
    std::exit(2);
  }
  return options;
}
