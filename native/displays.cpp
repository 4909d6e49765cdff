// One line a display system: adding a backend to the native program is a
// line here (with its header) and its block in CMakeLists.txt.
#include "displays.h"

#include "layer_x11.h"

namespace {

bool OpenX11() { return platform::OpenX11Display(nullptr); }

constexpr DisplaySystem kSystems[] = {
    {"DISPLAY", "the X display",
     "name an X display, for example: DISPLAY=:0 gushmire /s", OpenX11,
     platform::X11RootWindow},
};

} // namespace

std::span<const DisplaySystem> DisplaySystems() { return kSystems; }
