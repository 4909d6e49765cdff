// The display systems the native program can run on, each a backend of
// the platform layer.
#pragma once

#include <cstdint>
#include <span>

struct DisplaySystem {
  const char *variable; // the environment variable that names its display
  const char *what;     // for messages: "the X display"
  const char *example;  // how to name one, after "Run it from a desktop
                        // session, or "
  // Makes the display `variable` names the layer's screen, clock and
  // input; false when it cannot be opened.
  bool (*open)();
  // The window a hack asked to draw on the root puts its preview in.
  uintptr_t (*rootWindow)();
};

// In the order they are tried.
std::span<const DisplaySystem> DisplaySystems();
