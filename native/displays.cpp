// The display systems the program can run on, in the order they are tried,
// and what the messages call them; each backend describes itself in its
// header. Wayland comes first: a Wayland session sets DISPLAY too, for
// Xwayland, where the desktop cannot be read.
#include "displays.h"

#ifdef GUSHMIRE_HAVE_WAYLAND
#include "layer_wayland.h"
#endif
#ifdef GUSHMIRE_HAVE_X11
#include "layer_x11.h"
#endif

namespace {

constexpr DisplaySystem kSystems[] = {
#ifdef GUSHMIRE_HAVE_WAYLAND
    {platform::kWaylandDisplaySystem, "the Wayland display",
     "name a Wayland display, for example: WAYLAND_DISPLAY=wayland-0 "
     "gushmire /s"},
#endif
#ifdef GUSHMIRE_HAVE_X11
    {platform::kX11DisplaySystem, "the X display",
     "name an X display, for example: DISPLAY=:0 gushmire /s"},
#endif
};

} // namespace

std::span<const DisplaySystem> DisplaySystems() { return kSystems; }
