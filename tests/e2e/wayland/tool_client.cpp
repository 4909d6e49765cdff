#include "tool_client.h"

#include <chrono>
#include <cstring>
#include <iostream>

namespace {

void OnGlobal(void *data, wl_registry *registry, uint32_t name,
              const char *interface, uint32_t /*version*/) {
  auto *client = static_cast<ToolClient *>(data);
  // Version 1 of both is all the tools need; the first seat is seat0.
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !client->seat) {
    client->seat = static_cast<wl_seat *>(
        wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, client->managerInterface->name) == 0 &&
             !client->manager) {
    client->manager =
        wl_registry_bind(registry, name, client->managerInterface, 1);
  }
}
void OnGlobalRemove(void *, wl_registry *, uint32_t) {}
const wl_registry_listener registryListener = [] {
  wl_registry_listener l{};
  l.global = OnGlobal;
  l.global_remove = OnGlobalRemove;
  return l;
}();

} // namespace

bool ToolClient::Connect(const wl_interface &interface) {
  managerInterface = &interface;
  display = wl_display_connect(nullptr);
  if (!display) {
    std::cerr << tool << ": cannot connect to the Wayland display\n";
    return false;
  }
  registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registryListener, this);
  if (wl_display_roundtrip(display) < 0 || !manager) {
    std::cerr << tool << ": the compositor offers no " << interface.name
              << "\n";
    return false;
  }
  return true;
}

bool ToolClient::Roundtrip() {
  if (wl_display_roundtrip(display) >= 0)
    return true;
  std::cerr << tool << ": connection failed: "
            << std::strerror(wl_display_get_error(display)) << "\n";
  return false;
}

ToolClient::~ToolClient() {
  if (!display)
    return;
  if (manager)
    wl_proxy_destroy(static_cast<wl_proxy *>(manager));
  if (seat)
    wl_seat_destroy(seat);
  if (registry)
    wl_registry_destroy(registry);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
}

uint32_t NowMs() {
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}
