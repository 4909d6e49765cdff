// One saver per screen: where a display has several screens (Wayland's
// outputs, X11's monitors), each gets a process of its own, the program
// itself started again with --screen NAME. Engine and host keep one window
// and one animation per process, so each screen gets its own series at its
// own size, with its own backdrop: nothing is stretched across two
// monitors and no splat is cut by a bezel.
#pragma once

#include "displays.h"

// Runs `argv` once per screen of `system` until one of them ends on its
// own: then ends the others and returns that one's exit code. A screen
// added meanwhile gets its process; one that goes away has its own ended
// (or ending on its own) quietly. SIGTERM and SIGINT end them all, with 0.
// When `single` (the full-screen saver), a second run on the same display
// raises the running one and returns 0 at once.
int RunPerScreen(const DisplaySystem &system, int argc, char **argv,
                 bool single);
