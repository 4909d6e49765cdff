// The monitors of an X screen that each get a saver of their own, and the
// key that names one on the command line (--screen). Needs no connection.
#pragma once

#include <string>
#include <vector>

namespace platform::detail::x11 {

// One monitor: its name (RandR's, or "screen" for the whole screen) and
// where it sits on the root window.
struct MonitorArea {
  std::string name;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The monitors to cover, from what the server lists: each clipped to the
// screen, those left empty dropped and a repeat of an earlier one's area
// (mirrored outputs) dropped; the whole screen as one when none is left
// (no RandR, or nothing lit).
std::vector<MonitorArea> MonitorsToCover(const std::vector<MonitorArea> &listed,
                                         int screenWidth, int screenHeight);

// "NAME@WxH+X+Y": the area is part of the key, so a monitor that moves or
// changes its mode is a new one, and its saver starts again at the new size.
std::string MonitorKey(const MonitorArea &monitor);
// Reads a key back; false for anything malformed or empty.
bool ParseMonitorKey(const char *key, MonitorArea *monitor);

} // namespace platform::detail::x11
