// One line a display system: adding a backend to the native program is a
// line here (with its header) and its block in CMakeLists.txt. Wayland
// comes first: a Wayland session sets DISPLAY too, for Xwayland, where the
// desktop cannot be read.
#include "displays.h"

#include <cstdio>

#ifdef GUSHMIRE_HAVE_WAYLAND
#include "layer_wayland.h"
#endif
#include "layer_x11.h"

namespace {

bool OpenX11(const char *monitor) {
  if (monitor != nullptr && !platform::IsX11MonitorKey(monitor)) {
    std::fprintf(stderr, "gushmire: \"%s\" names no monitor\n", monitor);
    return false;
  }
  return platform::OpenX11Display(nullptr, monitor);
}

constexpr DisplaySystem kSystems[] = {
#ifdef GUSHMIRE_HAVE_WAYLAND
    {"wayland",
     {"WAYLAND_DISPLAY", "WAYLAND_SOCKET"},
     "the Wayland display",
     "name a Wayland display, for example: WAYLAND_DISPLAY=wayland-0 "
     "gushmire /s",
     false,
     platform::OpenWaylandDisplay,
     platform::WaylandRootWindow,
     platform::WatchWaylandOutputs,
     platform::WaylandOutputsDescriptor,
     platform::ReadWaylandOutputs,
     platform::kWaylandOutputGoneExit,
     "WAYLAND_SOCKET",
     true,
     nullptr},
#endif
    {"x11",
     {"DISPLAY", nullptr},
     "the X display",
     "name an X display, for example: DISPLAY=:0 gushmire /s",
     true,
     OpenX11,
     platform::X11RootWindow,
     platform::WatchX11Monitors,
     platform::X11MonitorsDescriptor,
     platform::ReadX11Monitors,
     -1, // none: the parent ends a saver whose monitor went
     nullptr,
     false,
     platform::RaiseX11Savers},
};

} // namespace

std::span<const DisplaySystem> DisplaySystems() { return kSystems; }
