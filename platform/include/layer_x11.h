// The layer's X11 backend, for the native program's entry and the X11
// tests. Only in programs that link gushmire::platform_x11.
#pragma once

#include <cstdint>

namespace platform {

// Makes the X server `name` (null: $DISPLAY) the screen, clock and input of
// the layer from now on. False when there is no such display; the backend
// in use then stays.
bool OpenX11Display(const char *name);
// The X root window's id (0 before OpenX11Display): where a hack asked to
// draw on the root puts its preview.
uintptr_t X11RootWindow();

} // namespace platform
