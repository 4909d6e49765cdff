// The output list of the process that runs one saver per output: a
// connection of its own that binds nothing but the outputs.
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "backends/wayland/wayland.h"
#include "layer_wayland.h"

namespace platform {
namespace {

struct Watch {
  wl_display *display = nullptr;
  wl_registry *registry = nullptr;
  std::vector<std::unique_ptr<detail::wayland::Output>> outputs;
};
Watch watch;

void OnGlobal(void *, wl_registry *registry, uint32_t name,
              const char *interface, uint32_t version) {
  if (std::string_view(interface) == wl_output_interface.name) {
    watch.outputs.push_back(
        detail::wayland::BindOutput(registry, name, version));
  }
}
void OnGlobalRemove(void *, wl_registry *, uint32_t name) {
  std::erase_if(watch.outputs, [name](const auto &output) {
    if (output->global != name) {
      return false;
    }
    wl_output_destroy(output->proxy);
    return true;
  });
}
const wl_registry_listener registryListener = [] {
  wl_registry_listener l{};
  l.global = OnGlobal;
  l.global_remove = OnGlobalRemove;
  return l;
}();

} // namespace

bool WatchWaylandOutputs() {
  if (watch.display != nullptr) {
    return true;
  }
  watch.display = wl_display_connect(nullptr);
  if (watch.display == nullptr) {
    return false;
  }
  watch.registry = wl_display_get_registry(watch.display);
  wl_registry_add_listener(watch.registry, &registryListener, nullptr);
  return wl_display_roundtrip(watch.display) >= 0 &&
         wl_display_roundtrip(watch.display) >= 0;
}

int WaylandOutputsDescriptor() {
  return watch.display != nullptr ? wl_display_get_fd(watch.display) : -1;
}

bool ReadWaylandOutputs(std::vector<std::string> *names) {
  wl_display *display = watch.display;
  if (display == nullptr) {
    return false;
  }
  while (wl_display_prepare_read(display) != 0) {
    if (wl_display_dispatch_pending(display) < 0) {
      return false;
    }
  }
  pollfd descriptor{wl_display_get_fd(display), POLLIN, 0};
  if ((wl_display_flush(display) < 0 && errno != EAGAIN) ||
      (poll(&descriptor, 1, 0) > 0 && wl_display_read_events(display) < 0)) {
    return false; // read_events cancels the read itself when it fails
  }
  if (descriptor.revents == 0) {
    wl_display_cancel_read(display);
  }
  if (wl_display_dispatch_pending(display) < 0) {
    return false;
  }
  // Binding a new output is a request: out now, or its answer never comes.
  if (wl_display_flush(display) < 0 && errno != EAGAIN) {
    return false;
  }
  names->clear();
  for (const auto &output : watch.outputs) {
    if (output->described) {
      names->push_back(output->name);
    }
  }
  return true;
}

} // namespace platform
