#include "render_options.h"

#include <algorithm>
#include <charconv>
#include <string_view>

const char renderUsage[] =
    "usage: gushmire-render --seed S --size WxH [--preview] --steps N "
    "[--png-at K,K,...] [--png-dir DIR] [--gif FILE] [--gif-every K] "
    "[--gif-scale F] [--background desktop|black|FILE.png] "
    "(W, H 1..16384, W*H up to 2^26, N 0..10000000, K 0..N, "
    "gif-every 1..6553, F in (0,1])";

namespace {

bool ParseLong(std::string_view text, long low, long high, long &value) {
  long long number = 0;
  const bool ok = ParseWhole(text, low, high, number);
  value = static_cast<long>(number);
  return ok;
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
  std::vector<std::string_view> given;
  const auto own = [&](std::string_view option, std::string_view value) {
    given.push_back(option);
    if (option == "--png-at") {
      return ParseList(value, options.pngAt);
    }
    if (option == "--png-dir") {
      options.pngDir = value;
      return !value.empty();
    }
    if (option == "--gif") {
      options.gifPath = value;
      return !value.empty();
    }
    if (option == "--gif-every") {
      return ParseLong(value, 1, renderMaxGifEvery, options.gifEvery);
    }
    if (option == "--gif-scale") {
      return ParseScale(value, options.gifScale);
    }
    if (option == "--background") {
      options.background = value;
      return !value.empty();
    }
    return false;
  };
  constexpr RunLimits limits{renderMaxSide, renderMaxPixels, 0, renderMaxSteps};
  if (!ParseRunArguments(argc, argv, limits, options, own)) {
    return false;
  }
  const auto has = [&given](std::string_view name) {
    return std::find(given.begin(), given.end(), name) != given.end();
  };
  const bool gifOptionsAlone =
      (has("--gif-every") || has("--gif-scale")) && !has("--gif");
  const bool pngOptionsAlone = has("--png-dir") && !has("--png-at");
  return !gifOptionsAlone && !pngOptionsAlone &&
         (options.pngAt.empty() || options.pngAt.back() <= options.steps);
}
