#include "options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kUsage[] =
    "Usage: gushmire [/s | /p ID | /c | /a]\n"
    "       gushmire -root | -window-id ID\n"
    "       gushmire --lock [--keep-desktop] [/s]\n"
    "       gushmire --help | --version\n"
    "\n"
    "Windows switches:\n"
    "  /s            full screen, a saver on every monitor; any key, click\n"
    "                or mouse travel ends them all\n"
    "  /p ID         preview inside the X window ID (decimal)\n"
    "  /c            the About box (also with no switch at all)\n"
    "  /a            password change (nothing to change here)\n"
    "\n"
    "Hack options (XScreenSaver, xsecurelock):\n"
    "  -root         draw on the root window, or on $XSCREENSAVER_WINDOW\n"
    "  -window-id ID draw inside the X window ID (0x... or decimal)\n"
    "  Input never ends a hack; SIGTERM, SIGINT or the window's end do.\n"
    "  With no switch and $XSCREENSAVER_WINDOW set, it draws there.\n"
    "\n"
    "  --lock        lock the session (Wayland, with ext-session-lock): a\n"
    "                saver on every output until PAM accepts the password\n"
    "  --keep-desktop with --lock: each output's picture (wlr-screencopy)\n"
    "                under the drawing, instead of black\n"
    "  --backend wayland|x11  the display system (by default Wayland when\n"
    "                WAYLAND_DISPLAY or WAYLAND_SOCKET is set and no X window\n"
    "                is named, else X11). On Wayland -root too runs on\n"
    "                every output.\n"
    "\n"
    "Exit: 0 done (--lock: unlocked), 1 bad option, 2 no display (--lock:\n"
    "      no lock to be had here), 255 bad switch or window.\n";

bool IsOption(const char *argument, const char *name) {
  // Both -name and --name, as X programs take them.
  if (argument[0] == '-' && argument[1] == '-') {
    ++argument;
  }
  return std::strcmp(argument, name) == 0;
}

int BadOption(const char *what, const char *value) {
  std::fprintf(stderr, "gushmire: %s \"%s\"\n%s", what, value, kUsage);
  return kUsageExit;
}

} // namespace

int TakeEntryOptions(int *argc, char **argv, EntryOptions *entry) {
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    if (IsOption(argv[i], "-lock")) {
      entry->lock = true;
      continue;
    }
    if (IsOption(argv[i], "-keep-desktop")) {
      entry->keepDesktop = true;
      continue;
    }
    const char **slot = IsOption(argv[i], "-backend")  ? &entry->backend
                        : IsOption(argv[i], "-screen") ? &entry->screen
                                                       : nullptr;
    if (slot == nullptr) {
      argv[kept++] = argv[i];
      continue;
    }
    if (i + 1 >= *argc || *argv[i + 1] == '\0') {
      return BadOption("a value is missing after", argv[i]);
    }
    *slot = argv[++i];
  }
  *argc = kept;
  argv[kept] = nullptr;
  if (entry->keepDesktop && !entry->lock) {
    return BadOption("only --lock takes", "--keep-desktop");
  }
  return -1;
}

char SwitchLetter(const char *argument) {
  while (*argument == ' ' || *argument == '-' || *argument == '/') {
    ++argument;
  }
  return static_cast<char>(
      *argument >= 'A' && *argument <= 'Z' ? *argument - 'A' + 'a' : *argument);
}

unsigned long ParseWindowId(const char *text) {
  if (text == nullptr || *text == '\0' || *text == '-' || *text == '+' ||
      *text == ' ') {
    return 0;
  }
  const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  errno = 0;
  char *end = nullptr;
  const unsigned long value = std::strtoul(text, &end, hex ? 16 : 10);
  // Window ids are 32-bit values on the wire.
  if (errno != 0 || end == text || *end != '\0' || value > 0xFFFFFFFFul) {
    return 0;
  }
  return value;
}

int ReadHackOptions(int argc, const char *const *argv, const char *daemonWindow,
                    HackOptions *hack) {
  if (argc == 2 && IsOption(argv[1], "-help")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && IsOption(argv[1], "-version")) {
    std::printf("gushmire %s\n", GUSHMIRE_VERSION);
    return 0;
  }
  const bool hackOption = argc > 1 && (IsOption(argv[1], "-root") ||
                                       IsOption(argv[1], "-window-id"));
  if (argc > 1 && !hackOption) {
    return -1; // a Windows switch, with its own meaning
  }
  hack->on = true;
  for (int i = 1; i < argc; ++i) {
    if (IsOption(argv[i], "-root")) {
      hack->root = true;
    } else if (IsOption(argv[i], "-window-id")) {
      if (i + 1 >= argc) {
        return BadOption("-window-id needs a window id", "");
      }
      hack->window = ParseWindowId(argv[++i]);
      if (hack->window == 0) {
        return BadOption("bad window id", argv[i]);
      }
    } else {
      return BadOption("unknown option", argv[i]);
    }
  }
  if (hack->window != 0) {
    return -1;
  }
  // The daemon's window stands for the root, as with its other hacks.
  if (daemonWindow != nullptr && *daemonWindow != '\0') {
    hack->window = ParseWindowId(daemonWindow);
    if (hack->window == 0) {
      return BadOption("bad XSCREENSAVER_WINDOW", daemonWindow);
    }
    return -1;
  }
  if (!hack->root) {
    hack->on = false; // no switch at all: the About box, as on Windows
  }
  return -1;
}

uint32_t ScreenSeedOffset(const char *screen) {
  if (screen == nullptr) {
    return 0;
  }
  uint32_t hash = 2166136261u; // FNV-1a
  for (const char *c = screen; *c != '\0'; ++c) {
    hash = (hash ^ static_cast<unsigned char>(*c)) * 16777619u;
  }
  return hash;
}
