// The display systems the native program can run on, each a backend of
// the platform layer, and how one is chosen.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "layer.h"

// A backend of the layer, with what the messages call it.
struct DisplaySystem : platform::DisplaySystem {
  const char *what;    // "the X display"
  const char *example; // how to name one, after "Run it from a desktop
                       // session, or "
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
