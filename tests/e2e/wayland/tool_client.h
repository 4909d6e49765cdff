// What the tests' own input devices (vpointer, vkeyboard) share: a
// connection to the compositor named by WAYLAND_DISPLAY, its first seat and
// the one manager global a device is made from, with messages on failure.
#pragma once

#include <wayland-client.h>

#include <cstdint>

struct ToolClient {
  // `tool` names the program in messages.
  explicit ToolClient(const char *name) : tool(name) {}
  ~ToolClient();
  ToolClient(const ToolClient &) = delete;
  ToolClient &operator=(const ToolClient &) = delete;

  // Connects and binds the global of `manager` and the first seat (if
  // any), both at version 1; false (with a message) without the manager.
  bool Connect(const wl_interface &manager);
  // A round trip: the compositor has handled everything sent so far, and a
  // protocol error shows here (false, with a message).
  bool Roundtrip();
  template <class T> T *Manager() const { return static_cast<T *>(manager); }

  const char *tool;
  wl_display *display = nullptr;
  wl_registry *registry = nullptr;
  wl_seat *seat = nullptr;
  // Bound; the tool destroys it (its protocol's way) and sets it to null,
  // else it is dropped without a request.
  void *manager = nullptr;
  const wl_interface *managerInterface = nullptr;
};

// A timestamp for input requests: milliseconds of the monotonic clock.
uint32_t NowMs();
