// The native gushmire program: starts exactly as gushmire.scr does on
// Windows, with the command line built from argv and a real display as the
// screen. It also runs the way XScreenSaver and xsecurelock run their
// hacks: inside a window they name, or on the root, until a signal or the
// window's end stops it. On a display of several screens (Wayland's
// outputs, X11's monitors) the full-screen saver runs once per screen, and
// on Wayland the root hack too.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "displays.h"
#include "entry.h"
#include "layer.h"
#include "layer_lock.h"
#include "options.h"
#include "per_screen.h"
#ifdef GUSHMIRE_HAVE_WAYLAND
#include "layer_wayland.h"
#endif

namespace {

const char *Variable(const char *name) { return std::getenv(name); }

// Says why no display could be chosen.
void NoDisplay(const char *forced, bool namesWindow) {
  std::string variables, examples, names;
  std::size_t count = 0;
  for (const DisplaySystem &system : DisplaySystems()) {
    for (const char *variable : system.variables) {
      if (variable != nullptr) {
        variables += (variables.empty() ? ""
                      : count > 0       ? ", "
                                        : "") +
                     std::string(variable);
        ++count;
      }
    }
    examples += (examples.empty() ? "" : ", or ") + std::string(system.example);
    names += (names.empty() ? "" : " or ") + std::string(system.name);
  }
  if (forced != nullptr) {
    std::fprintf(stderr, "gushmire: no backend \"%s\" here (%s)\n", forced,
                 names.c_str());
    return;
  }
  if (namesWindow) {
    std::fprintf(stderr, "gushmire: an X window is named, but DISPLAY is "
                         "empty or unset\n");
    return;
  }
  // "A, B and C": the last comma becomes "and".
  if (const std::size_t last = variables.rfind(", ");
      last != std::string::npos) {
    variables.replace(last, 2, " and ");
  }
  std::fprintf(stderr,
               "gushmire: no display is set: %s %s empty or unset.\n"
               "Run it from a desktop session, or %s\n",
               variables.c_str(), count > 1 ? "are" : "is", examples.c_str());
}

// The saver a lock runs on one output: its display is the lock's holder.
int RunLockedSaver(const char *link, const EntryOptions &entry, int argc,
                   char **argv) {
  const unsigned long descriptor = ParseWindowId(link);
  unsetenv(platform::kLockLinkVariable); // not for the saver's children
  if (descriptor == 0 || descriptor > 0x7FFFFFFF ||
      !platform::OpenLockLink(static_cast<int>(descriptor))) {
    std::fprintf(stderr, "gushmire: no lock holder at \"%s\"\n", link);
    return kUsageExit;
  }
  SetSeriesSeedOffset(ScreenSeedOffset(entry.screen));
  const std::string commandLine =
      platform::CommandLineFromArguments(argc, argv);
  platform::SetCommandLine(commandLine.c_str());
  return WinMain(GetModuleHandleA(nullptr), nullptr,
                 const_cast<LPSTR>(GetCommandLineA()), SW_SHOWNORMAL);
}

// --lock: only a compositor that keeps the session locked whatever becomes
// of us may be locked; elsewhere we say what locks there instead.
int Lock(const EntryOptions &entry, int argc, char **argv) {
  if (argc > 2 || (argc == 2 && SwitchLetter(argv[1]) != 's')) {
    std::fprintf(stderr, "gushmire: --lock takes no other switch than /s\n");
    return kUsageExit;
  }
  const bool forcedX11 =
      entry.backend != nullptr && std::string(entry.backend) == "x11";
#ifdef GUSHMIRE_HAVE_WAYLAND
  if (!forcedX11 && (Variable("WAYLAND_DISPLAY") != nullptr ||
                     Variable("WAYLAND_SOCKET") != nullptr)) {
    // Savers are started from our own file, whatever argv[0] says.
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
      std::fprintf(stderr, "gushmire: cannot find our own program\n");
      return kNoDisplayExit;
    }
    self[length] = '\0';
    return platform::RunWaylandLock(self, entry.keepDesktop);
  }
#endif
  static_cast<void>(forcedX11);
  std::fprintf(stderr,
               "gushmire: --lock locks Wayland sessions only. On X11, lock "
               "with Gushmire on screen through xsecurelock "
               "(XSECURELOCK_SAVER=saver_gushmire xsecurelock) or through "
               "XScreenSaver with its lock on.\n");
  return kNoDisplayExit;
}

} // namespace

int main(int argc, char **argv) {
  EntryOptions entry;
  if (const int code = TakeEntryOptions(&argc, argv, &entry); code >= 0) {
    return code;
  }
  if (const char *link = Variable(platform::kLockLinkVariable);
      link != nullptr) {
    return RunLockedSaver(link, entry, argc, argv);
  }
  if (entry.lock) {
    return Lock(entry, argc, argv);
  }
  HackOptions hack;
  if (const int code = ReadHackOptions(
          argc, argv, std::getenv("XSCREENSAVER_WINDOW"), &hack);
      code >= 0) {
    return code;
  }
  const char letter = argc > 1 && !hack.on ? SwitchLetter(argv[1]) : '\0';
  // /p and /l name a window as the hack options do.
  const bool namesWindow = hack.window != 0 || letter == 'p' || letter == 'l';
  const DisplaySystem *display =
      ChooseDisplay(DisplaySystems(), entry.backend, namesWindow, Variable);
  if (display == nullptr) {
    NoDisplay(entry.backend, namesWindow);
    return entry.backend != nullptr ? kUsageExit : kNoDisplayExit;
  }
  const bool everyScreen = letter == 's' || (hack.on && hack.window == 0 &&
                                             display->rootEveryScreen);
  if (display->watchScreens != nullptr && entry.screen == nullptr &&
      everyScreen &&
      (display->handedOver == nullptr ||
       Variable(display->handedOver) == nullptr)) {
    return RunPerScreen(*display, argc, argv, letter == 's');
  }
  if (!display->open(entry.screen)) {
    const char *named = NamedBy(*display, Variable);
    std::fprintf(stderr, "gushmire: cannot open %s \"%s\"\n", display->what,
                 named != nullptr ? Variable(named) : "");
    return kNoDisplayExit;
  }
  std::string commandLine;
  if (hack.on) {
    // A hack is the host's preview in that window: it never ends on input
    // and draws at the window's size, full screen where that is the screen.
    const unsigned long window =
        hack.window != 0 ? hack.window : display->rootWindow();
    const std::string id = std::to_string(window);
    const char *const arguments[] = {argv[0], "/p", id.c_str()};
    commandLine = platform::CommandLineFromArguments(3, arguments);
    if (!platform::EndPreviewsOnSignals()) {
      std::fprintf(stderr, "gushmire: cannot catch SIGTERM and SIGINT\n");
    }
  } else {
    commandLine = platform::CommandLineFromArguments(argc, argv);
  }
  SetSeriesSeedOffset(ScreenSeedOffset(entry.screen));
  platform::SetCommandLine(commandLine.c_str());
  return WinMain(GetModuleHandleA(nullptr), nullptr,
                 const_cast<LPSTR>(GetCommandLineA()), SW_SHOWNORMAL);
}
