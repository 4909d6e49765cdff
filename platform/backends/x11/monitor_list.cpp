#include "backends/x11/monitor_list.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace platform::detail::x11 {

std::vector<MonitorArea> MonitorsToCover(const std::vector<MonitorArea> &listed,
                                         int screenWidth, int screenHeight) {
  std::vector<MonitorArea> cover;
  for (const MonitorArea &monitor : listed) {
    // In 64 bits: a server may report anything.
    const long long left = std::max<long long>(monitor.x, 0);
    const long long top = std::max<long long>(monitor.y, 0);
    const long long right =
        std::min<long long>(0LL + monitor.x + monitor.width, screenWidth);
    const long long bottom =
        std::min<long long>(0LL + monitor.y + monitor.height, screenHeight);
    if (right <= left || bottom <= top) {
      continue;
    }
    MonitorArea clipped{monitor.name, static_cast<int>(left),
                        static_cast<int>(top), static_cast<int>(right - left),
                        static_cast<int>(bottom - top)};
    const bool repeat =
        std::any_of(cover.begin(), cover.end(), [&](const MonitorArea &seen) {
          return seen.x == clipped.x && seen.y == clipped.y &&
                 seen.width == clipped.width && seen.height == clipped.height;
        });
    if (!repeat) {
      cover.push_back(std::move(clipped));
    }
  }
  if (cover.empty() && screenWidth > 0 && screenHeight > 0) {
    cover.push_back(MonitorArea{"screen", 0, 0, screenWidth, screenHeight});
  }
  return cover;
}

std::string MonitorKey(const MonitorArea &monitor) {
  return monitor.name + "@" + std::to_string(monitor.width) + "x" +
         std::to_string(monitor.height) + "+" + std::to_string(monitor.x) +
         "+" + std::to_string(monitor.y);
}

bool ParseMonitorKey(const char *key, MonitorArea *monitor) {
  if (key == nullptr || monitor == nullptr) {
    return false;
  }
  // The name may hold anything, '@' too: the area follows the last one.
  const char *at = std::strrchr(key, '@');
  if (at == nullptr) {
    return false;
  }
  const char *end = key + std::strlen(key);
  const char *next = at + 1;
  int fields[4] = {};
  const char separators[4] = {'x', '+', '+', '\0'};
  for (int i = 0; i < 4; ++i) {
    const auto [stop, error] = std::from_chars(next, end, fields[i]);
    // X coordinates and sizes fit in 16 bits.
    if (error != std::errc{} || stop == next || fields[i] < 0 ||
        fields[i] > 65535 ||
        (i < 3 ? stop == end || *stop != separators[i] : stop != end)) {
      return false;
    }
    next = stop + 1;
  }
  if (fields[0] == 0 || fields[1] == 0) {
    return false;
  }
  *monitor = MonitorArea{std::string(key, at), fields[2], fields[3], fields[0],
                         fields[1]};
  return true;
}

} // namespace platform::detail::x11
