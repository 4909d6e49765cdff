// The display systems the native program can run on, each a backend of
// the platform layer, and how one is chosen.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct DisplaySystem {
  const char *name; // for --backend: "wayland", "x11"
  // The environment variables that name its display (the second may be
  // null); the first is the one messages and the single-instance claim use.
  const char *variables[2];
  const char *what;    // for messages: "the X display"
  const char *example; // how to name one, after "Run it from a desktop
                       // session, or "
  // /p, -window-id and $XSCREENSAVER_WINDOW name windows of this system.
  bool takesWindowIds;
  // Makes the display the layer's screen, clock and input; `screen` names
  // one of its screens (null: the first, or the only one). False when it
  // cannot be opened.
  bool (*open)(const char *screen);
  // The window a hack asked to draw on the root puts its preview in.
  uintptr_t (*rootWindow)();

  // Where each screen gets a process of its own (null where one process
  // covers the display): a connection that lists the screens, its
  // descriptor, and a read of what changed (false once the display is gone).
  bool (*watchScreens)();
  int (*screensDescriptor)();
  bool (*readScreens)(std::vector<std::string> *names);
  // The exit code of a process whose screen went away (-1: none).
  int screenGoneExit;
  // Set when the connection was handed over to this one process (so it
  // cannot be shared with others); null for none.
  const char *handedOver;
  // Whether the root hack (-root) runs once per screen too; X11's root is
  // one window across every monitor.
  bool rootEveryScreen;
  // What a second start of the full-screen saver does to the one running
  // (null: nothing).
  void (*raiseRunning)();
};

// In the order they are tried.
std::span<const DisplaySystem> DisplaySystems();

// The system to run on: `forced` by name (--backend) if given; else, when
// the command names a window of another process (`namesWindow`), the first
// that takes window ids and has its display named; else the first whose
// display is named. Null when none fits. `variable` reads the environment.
const DisplaySystem *ChooseDisplay(std::span<const DisplaySystem> systems,
                                   const char *forced, bool namesWindow,
                                   const char *(*variable)(const char *));
// The variable of `system` that names a display, null when none is set.
const char *NamedBy(const DisplaySystem &system,
                    const char *(*variable)(const char *));
