// The native program's command line: window ids as X tools and the
// screen-saver daemons write them, and how the hack options, the daemon's
// window and the Windows switches combine.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>

#include "options.h"

namespace {

TEST(WindowId, TakesHexAndDecimalUpTo32BitsAndNothingElse) {
  EXPECT_EQ(ParseWindowId("0x1a00007"), 0x1a00007ul);
  EXPECT_EQ(ParseWindowId("0X1A"), 26ul);
  EXPECT_EQ(ParseWindowId("4194311"), 4194311ul);
  EXPECT_EQ(ParseWindowId("4294967295"), 0xFFFFFFFFul);
  for (const char *bad : {"4294967296", "0x100000000", "99999999999999999999",
                          "-1", "+5", " 5", "5 ", "", "0x", "12abc", "x12"}) {
    EXPECT_EQ(ParseWindowId(bad), 0ul) << '"' << bad << '"';
  }
  EXPECT_EQ(ParseWindowId(nullptr), 0ul);
}

struct Outcome {
  int code;
  HackOptions hack;
};

Outcome Read(std::initializer_list<const char *> arguments,
             const char *daemon) {
  std::array<const char *, 8> argv{"gushmire"};
  std::copy(arguments.begin(), arguments.end(), argv.begin() + 1);
  Outcome out{0, {}};
  out.code = ReadHackOptions(static_cast<int>(arguments.size() + 1),
                             argv.data(), daemon, &out.hack);
  return out;
}

TEST(HackOptions, DaemonWindowStandsForTheRootButNotForAWindowGiven) {
  // Windows switches pass through untouched, whatever the daemon says.
  Outcome o = Read({"/s"}, "0x2a");
  EXPECT_EQ(o.code, -1);
  EXPECT_FALSE(o.hack.on);
  // No switch: the About box, unless a daemon gave its window.
  EXPECT_FALSE(Read({}, nullptr).hack.on);
  EXPECT_FALSE(Read({}, "").hack.on);
  o = Read({}, "0x2a");
  EXPECT_TRUE(o.hack.on);
  EXPECT_EQ(o.hack.window, 42ul);
  o = Read({"-root"}, nullptr);
  EXPECT_TRUE(o.hack.on && o.hack.root);
  EXPECT_EQ(o.hack.window, 0ul);
  EXPECT_EQ(Read({"--root"}, "17").hack.window, 17ul);
  o = Read({"-root", "--window-id", "0x10"}, "17");
  EXPECT_EQ(o.code, -1);
  EXPECT_EQ(o.hack.window, 16ul);
}

TEST(HackOptions, HelpAndVersionEndAtOnceAndMistakesExitWithUsage) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(Read({"--help"}, nullptr).code, 0);
  EXPECT_EQ(Read({"-version"}, nullptr).code, 0);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("Usage: gushmire"), std::string::npos);
  EXPECT_NE(printed.find("gushmire 1."), std::string::npos);

  testing::internal::CaptureStderr();
  EXPECT_EQ(Read({"-window-id"}, nullptr).code, kUsageExit);
  EXPECT_EQ(Read({"-window-id", "0"}, nullptr).code, kUsageExit);
  EXPECT_EQ(Read({"-window-id", "-3"}, nullptr).code, kUsageExit);
  EXPECT_EQ(Read({"-root", "/s"}, nullptr).code, kUsageExit);
  EXPECT_EQ(Read({"-root", "--help"}, nullptr).code, kUsageExit);
  EXPECT_EQ(Read({"-root"}, "junk").code, kUsageExit);
  const std::string complaints = testing::internal::GetCapturedStderr();
  EXPECT_NE(complaints.find("bad XSCREENSAVER_WINDOW \"junk\""),
            std::string::npos);
}

} // namespace
