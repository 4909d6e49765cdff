// Which monitors of an X screen get a saver each, and the key that names
// one on a saver's command line.
#include <gtest/gtest.h>

#include <climits>

#include "backends/x11/monitor_list.h"

namespace {

using platform::detail::x11::MonitorArea;
using platform::detail::x11::MonitorKey;
using platform::detail::x11::MonitorsToCover;
using platform::detail::x11::ParseMonitorKey;

std::string Keys(const std::vector<MonitorArea> &monitors) {
  std::string keys;
  for (const MonitorArea &monitor : monitors) {
    if (!keys.empty()) {
      keys += ' ';
    }
    keys += MonitorKey(monitor);
  }
  return keys;
}

TEST(X11MonitorList, CoversEachMonitorOnceWithinTheScreen) {
  struct Case {
    const char *what;
    std::vector<MonitorArea> listed;
    const char *cover;
  };
  const Case cases[] = {
      {"none listed: the whole screen", {}, "screen@1440x600+0+0"},
      {"two of different sizes, kept in order",
       {{"DP-1", 0, 0, 800, 600}, {"DP-2", 800, 0, 640, 480}},
       "DP-1@800x600+0+0 DP-2@640x480+800+0"},
      {"a mirror of the first is dropped",
       {{"DP-1", 0, 0, 800, 600}, {"HDMI-1", 0, 0, 800, 600}},
       "DP-1@800x600+0+0"},
      {"parts off the screen are cut",
       {{"a", -100, -50, 300, 200}, {"b", 1300, 500, 400, 400}},
       "a@200x150+0+0 b@140x100+1300+500"},
      {"empty and wholly outside ones are dropped, nothing left: the screen",
       {{"a", 0, 0, 0, 600}, {"b", 2000, 0, 100, 100}, {"c", 0, 700, 5, 5}},
       "screen@1440x600+0+0"},
      {"sizes a server should never send do not overflow",
       {{"a", INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {"b", -10, -10, INT_MAX, INT_MAX},
        {"c", INT_MIN, 0, INT_MAX, 9}},
       "b@1440x600+0+0"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(Keys(MonitorsToCover(c.listed, 1440, 600)), c.cover) << c.what;
  }
}

TEST(X11MonitorList, KeysReadBackAndRejectAnythingMalformed) {
  MonitorArea read;
  ASSERT_TRUE(ParseMonitorKey("DP-1@800x600+0+0", &read));
  EXPECT_EQ(MonitorKey(read), "DP-1@800x600+0+0");
  // The name may hold '@' itself: the area follows the last.
  ASSERT_TRUE(ParseMonitorKey("odd@name@640x480+800+20", &read));
  EXPECT_EQ(read.name, "odd@name");
  EXPECT_EQ(read.x, 800);
  EXPECT_EQ(read.y, 20);
  EXPECT_EQ(read.width, 640);
  EXPECT_EQ(read.height, 480);

  const MonitorArea before = read;
  for (const char *bad :
       {"", "DP-1", "DP-1@", "DP-1@800x600", "DP-1@800x600+0", "@x+0+0",
        "DP-1@800x600+0+0+0", "DP-1@800x600+0+0 ", "DP-1@-800x600+0+0",
        "DP-1@800x600+-5+0", "DP-1@0x600+0+0", "DP-1@800x0+0+0",
        "DP-1@800x600+0+99999999999", "DP-1@65536x600+0+0", "DP-1@800X600+0+0",
        "DP-1@ 800x600+0+0"}) {
    EXPECT_FALSE(ParseMonitorKey(bad, &read)) << bad;
  }
  EXPECT_FALSE(ParseMonitorKey(nullptr, &read));
  EXPECT_EQ(MonitorKey(read), MonitorKey(before)) << "left as it was";
}

} // namespace
