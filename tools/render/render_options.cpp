#include "render_options.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

const char renderUsage[] =
    "usage: gushmire-render --seed S --size WxH [--preview] --steps N "
    "[--png-at K,K,...] [--png-dir DIR] [--gif FILE] [--gif-every K] "
    "[--gif-scale F] [--background desktop|black|FILE.png] "
    "(W, H 1..16384, W*H up to 2^26, N 0..10000000, K 0..N, "
    "gif-every 1..6553, F in (0,1])";

namespace {

// A whole decimal number in [low, high], digits only.
bool ParseLong(std::string_view text, long low, long high, long &value) {
  if (text.empty() || text.front() < '0' || text.front() > '9') {
    return false;
  }
  const char *end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end && value >= low && value <= high;
}

bool ParseSize(std::string_view text, int &width, int &height) {
  const auto cross = text.find('x');
  long w = 0;
  long h = 0;
  if (cross == std::string_view::npos ||
      !ParseLong(text.substr(0, cross), 1, renderMaxSide, w) ||
      !ParseLong(text.substr(cross + 1), 1, renderMaxSide, h) ||
      w * h > renderMaxPixels) {
    return false;
  }
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

bool ParseList(std::string_view text, std::vector<long> &values) {
  while (true) {
    const auto comma = text.find(',');
    long value = 0;
    if (!ParseLong(text.substr(0, comma), 0, renderMaxSteps, value)) {
      return false;
    }
    values.push_back(value);
    if (comma == std::string_view::npos) {
      break;
    }
    text.remove_prefix(comma + 1);
  }
  std::sort(values.begin(), values.end());
  return std::adjacent_find(values.begin(), values.end()) == values.end();
}

bool ParseScale(std::string_view text, double &scale) {
  if (text.empty() || text.front() < '0' || text.front() > '9') {
    return false;
  }
  const char *end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, scale);
  return error == std::errc() && stop == end && scale > 0.0 && scale <= 1.0;
}

} // namespace

bool ParseRenderArguments(int argc, const char *const *argv,
                          RenderOptions &options) {
  options = RenderOptions{};
  std::vector<std::string_view> seen;
  for (int i = 1; i < argc; ++i) {
    const std::string_view flag = argv[i];
    if (std::find(seen.begin(), seen.end(), flag) != seen.end()) {
      return false;
    }
    seen.push_back(flag);
    if (flag == "--preview") {
      options.preview = true;
      continue;
    }
    if (i + 1 >= argc) {
      return false;
    }
    const std::string_view value = argv[++i];
    long number = 0;
    bool ok = true;
    if (flag == "--seed") {
      ok = ParseLong(value, 0, UINT32_MAX, number);
      options.seed = static_cast<uint32_t>(number);
    } else if (flag == "--size") {
      ok = ParseSize(value, options.width, options.height);
    } else if (flag == "--steps") {
      ok = ParseLong(value, 0, renderMaxSteps, options.steps);
    } else if (flag == "--png-at") {
      ok = ParseList(value, options.pngAt);
    } else if (flag == "--png-dir") {
      ok = !value.empty();
      options.pngDir = value;
    } else if (flag == "--gif") {
      ok = !value.empty();
      options.gifPath = value;
    } else if (flag == "--gif-every") {
      ok = ParseLong(value, 1, renderMaxGifEvery, options.gifEvery);
    } else if (flag == "--gif-scale") {
      ok = ParseScale(value, options.gifScale);
    } else if (flag == "--background") {
      ok = !value.empty();
      options.background = value;
    } else {
      ok = false;
    }
    if (!ok) {
      return false;
    }
  }
  auto given = [&seen](std::string_view name) {
    return std::find(seen.begin(), seen.end(), name) != seen.end();
  };
  const bool gifOptionsAlone =
      (given("--gif-every") || given("--gif-scale")) && !given("--gif");
  const bool pngOptionsAlone = given("--png-dir") && !given("--png-at");
  return given("--seed") && given("--size") && given("--steps") &&
         !gifOptionsAlone && !pngOptionsAlone &&
         (options.pngAt.empty() || options.pngAt.back() <= options.steps);
}
