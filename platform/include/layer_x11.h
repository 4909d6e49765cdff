// The layer's X11 backend, for the native program's entry and the X11
// tests. Only in programs that link gushmire::platform_x11.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layer.h"

namespace platform {

// Makes the X server `name` (null: $DISPLAY) the framebuffer, clock and input of
// the layer from now on. False when there is no such display; the backend
// in use then stays. With `monitor` (a key from ReadX11Monitors) the screen
// is that monitor alone, at its size, its corner at (0, 0).
bool OpenX11Display(const char *name, const char *monitor = nullptr);
// False when `monitor` is no key ReadX11Monitors could have given.
bool IsX11MonitorKey(const char *monitor);
// The X root window's id (0 before OpenX11Display): where a hack asked to
// draw on the root puts its preview.
uintptr_t X11RootWindow();

// For the process that runs one saver per monitor, on $DISPLAY: a
// connection of its own that hears of every change of monitors (false when
// there is no display), its descriptor, and the monitors' keys now (false
// once the display is gone). Without RandR 1.5 the whole screen is one.
bool WatchX11Monitors();
int X11MonitorsDescriptor();
bool ReadX11Monitors(std::vector<std::string> *keys);
// A second start of the full-screen saver raises the savers running.
void RaiseX11Savers();
// OpenX11Display on $DISPLAY, saying so when `monitor` names none.
bool OpenX11Screen(const char *monitor);

inline constexpr DisplaySystem kX11DisplaySystem{
    "x11",
    {"DISPLAY", nullptr},
    true,
    OpenX11Screen,
    X11RootWindow,
    WatchX11Monitors,
    X11MonitorsDescriptor,
    ReadX11Monitors,
    -1, // none: the parent ends a saver whose monitor went
    nullptr,
    false,
    RaiseX11Savers};
} // namespace platform
