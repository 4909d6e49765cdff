// The layer's Wayland backend, for the native program's entry. Only in
// programs that link gushmire::platform_wayland. No Wayland type is seen
// here: the backend's own headers stay in platform/backends/wayland/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layer.h"

namespace platform {

// Exit code of a process whose output went away (unplugged, or gone before
// the process found it): it ends quietly, since nothing is left to cover.
constexpr int kWaylandOutputGoneExit = 3;

// Exit code of --lock where the session cannot be locked safely (no
// compositor, or one without ext-session-lock), having said what to use.
constexpr int kWaylandNoLockExit = 2;

// Locks the Wayland session through ext-session-lock: every output gets a
// lock surface and a saver of its own (`program` started with the lock
// link), and only a password that PAM accepts ends it. With `keepDesktop`
// each saver starts from its output's picture as it was before the lock,
// else from black. Returns the exit code: 0 unlocked, 1 the compositor
// ended the lock or went away, kWaylandNoLockExit.
int RunWaylandLock(const char *program, bool keepDesktop);

// Makes the Wayland display ($WAYLAND_DISPLAY, or the connection handed
// over in $WAYLAND_SOCKET) the framebuffer, clock and input of the layer, with
// `output` (null: the first one listed) as the screen, at its device
// pixels. A full-screen window becomes a layer surface on that output (an
// xdg_toplevel made full screen where there is no layer shell). False when
// there is no such display; when the output is not there the process ends
// with kWaylandOutputGoneExit.
bool OpenWaylandDisplay(const char *output);
// The stand-in for a root window (0 before OpenWaylandDisplay): a preview
// in it draws on the output's background layer.
uintptr_t WaylandRootWindow();

// A second connection that only lists the outputs, for the process that
// runs one saver per output. False when it cannot connect.
bool WatchWaylandOutputs();
// The connection's descriptor, to wait on (-1 before WatchWaylandOutputs).
int WaylandOutputsDescriptor();
// Reads what the compositor sent without waiting and gives the names of
// the outputs there now, in the order they came. False once the
// connection is gone.
bool ReadWaylandOutputs(std::vector<std::string> *names);

inline constexpr DisplaySystem kWaylandDisplaySystem{
    "wayland",
    {"WAYLAND_DISPLAY", "WAYLAND_SOCKET"},
    false,
    OpenWaylandDisplay,
    WaylandRootWindow,
    WatchWaylandOutputs,
    WaylandOutputsDescriptor,
    ReadWaylandOutputs,
    kWaylandOutputGoneExit,
    "WAYLAND_SOCKET",
    true,
    nullptr};

} // namespace platform
