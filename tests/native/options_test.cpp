// The native program's command line: window ids as X tools and the
// screen-saver daemons write them, and how the hack options, the daemon's
// window and the Windows switches combine.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "displays.h"
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

// The environment of one case: name=value pairs, the rest unset.
std::map<std::string, std::string> environment;
const char *Lookup(const char *name) {
  const auto found = environment.find(name);
  return found != environment.end() ? found->second.c_str() : nullptr;
}

constexpr DisplaySystem System(const char *name, const char *first,
                               const char *second, bool takesWindowIds,
                               const char *handedOver) {
  DisplaySystem system{};
  system.name = name;
  system.variables[0] = first;
  system.variables[1] = second;
  system.takesWindowIds = takesWindowIds;
  system.handedOver = handedOver;
  return system;
}
constexpr DisplaySystem kSystems[] = {
    System("wayland", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", false,
           "WAYLAND_SOCKET"),
    System("x11", "DISPLAY", nullptr, true, nullptr),
};

TEST(DisplayChoice, WaylandWinsOverXwaylandUnlessAnXWindowIsNamed) {
  const std::map<std::string, std::string> x{{"DISPLAY", ":0"}},
      wl{{"WAYLAND_DISPLAY", "wayland-1"}},
      both{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-1"}};
  struct Case {
    std::map<std::string, std::string> env;
    const char *forced;
    bool namesWindow; // /p, -window-id or $XSCREENSAVER_WINDOW
    const char *chosen;
  } const cases[] = {
      {x, nullptr, false, "x11"},
      {both, nullptr, false, "wayland"},
      {{{"WAYLAND_SOCKET", "5"}}, nullptr, false, "wayland"},
      // Empty counts as unset.
      {{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", ""}}, nullptr, false, "x11"},
      {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, nullptr, false, "none"},
      {{}, nullptr, false, "none"},
      // An X window: X11 or nothing.
      {both, nullptr, true, "x11"},
      {wl, nullptr, true, "none"},
      // --backend decides, whatever is set; an unknown name finds nothing.
      {wl, "x11", false, "x11"},
      {{}, "wayland", false, "wayland"},
      {x, "mir", false, "none"},
  };
  for (const Case &c : cases) {
    environment = c.env;
    const DisplaySystem *system =
        ChooseDisplay(kSystems, c.forced, c.namesWindow, Lookup);
    EXPECT_STREQ(system != nullptr ? system->name : "none", c.chosen)
        << (c.forced != nullptr ? c.forced : "") << c.namesWindow;
  }
}

// What was taken, copied out of the arguments (which end with the call).
struct Taken {
  int code;
  std::string backend, screen; // "-" for none
  std::vector<std::string> rest;
};

Taken Take(std::initializer_list<const char *> arguments) {
  std::vector<std::string> storage{"gushmire"};
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char *> argv;
  for (std::string &s : storage) {
    argv.push_back(s.data());
  }
  argv.push_back(nullptr);
  int argc = static_cast<int>(storage.size());
  EntryOptions entry;
  Taken out{0, "-", "-", {}};
  out.code = TakeEntryOptions(&argc, argv.data(), &entry);
  out.backend = entry.backend != nullptr ? entry.backend : "-";
  out.screen = entry.screen != nullptr ? entry.screen : "-";
  for (int i = 1; i < argc; ++i) {
    out.rest.emplace_back(argv[i]);
  }
  EXPECT_EQ(argv[argc], nullptr);
  return out;
}

TEST(EntryOptions, AreTakenOutWhereverTheyStand) {
  using Strings = std::vector<std::string>;
  const auto all = [](const Taken &t) {
    return std::tuple(t.code, t.backend, t.screen, t.rest);
  };
  EXPECT_EQ(all(Take({"--backend", "x11", "/s"})),
            std::tuple(-1, "x11", "-", Strings{"/s"}));
  EXPECT_EQ(
      all(Take({"-root", "-screen", "HEADLESS-2", "-backend", "wayland"})),
      std::tuple(-1, "wayland", "HEADLESS-2", Strings{"-root"}));
  EXPECT_EQ(all(Take({"/p", "42"})),
            std::tuple(-1, "-", "-", Strings{"/p", "42"}));
  // A missing or empty value is a bad option.
  EXPECT_EQ(Take({"/s", "--backend"}).code, kUsageExit);
  EXPECT_EQ(Take({"--screen", "", "/s"}).code, kUsageExit);
  // What keeps the desktop under a lock means nothing without one.
  EXPECT_EQ(Take({"--keep-desktop", "/s"}).code, kUsageExit);
  EXPECT_EQ(Take({"/s", "--keep-desktop", "--lock"}).code, -1);
}

TEST(EntryOptions, EachScreenSeedsASeriesOfItsOwn) {
  EXPECT_EQ(ScreenSeedOffset(nullptr), 0u) << "one saver: the time alone";
  const uint32_t first = ScreenSeedOffset("DUMMY0@1920x1080+0+0");
  EXPECT_EQ(first, ScreenSeedOffset("DUMMY0@1920x1080+0+0"));
  EXPECT_NE(first, ScreenSeedOffset("DUMMY1@1920x1080+1920+0"));
  EXPECT_NE(ScreenSeedOffset("HEADLESS-1"), ScreenSeedOffset("HEADLESS-2"));
}

TEST(EntryOptions, SwitchLetterReadsAsTheHostDoes) {
  EXPECT_EQ(SwitchLetter("/s"), 's');
  EXPECT_EQ(SwitchLetter("-S"), 's');
  EXPECT_EQ(SwitchLetter(" /p"), 'p');
  EXPECT_EQ(SwitchLetter("//c:123"), 'c');
  EXPECT_EQ(SwitchLetter(""), '\0');
  EXPECT_EQ(SwitchLetter("--"), '\0');
}

} // namespace
