// The tests' own pointer: moves and clicks through a wlr virtual pointer on
// the compositor named by WAYLAND_DISPLAY. `vpointer -` reads actions from
// stdin, a line at a time, and answers each line with "done" once the
// compositor has taken it. Actions: move DX DY | click [left|right|middle].
// The device lives as long as the connection (the seat's capabilities
// change when it goes), so a test keeps one process.
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Globals {
  wl_seat *seat = nullptr;
  zwlr_virtual_pointer_manager_v1 *manager = nullptr;
};

void on_global(void *data, wl_registry *registry, uint32_t name,
               const char *interface, uint32_t /*version*/) {
  auto *globals = static_cast<Globals *>(data);
  // Version 1 of both is all this needs; the first seat is seat0.
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat) {
    globals->seat = static_cast<wl_seat *>(
        wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface,
                         zwlr_virtual_pointer_manager_v1_interface.name) == 0 &&
             !globals->manager) {
    globals->manager =
        static_cast<zwlr_virtual_pointer_manager_v1 *>(wl_registry_bind(
            registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  }
}
void on_global_remove(void *, wl_registry *, uint32_t) {}
const wl_registry_listener registry_listener = [] {
  wl_registry_listener l{};
  l.global = on_global;
  l.global_remove = on_global_remove;
  return l;
}();

uint32_t now_ms() {
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

std::optional<double> parse_offset(const std::string &text) {
  double value = 0;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  // wl_fixed_t holds +-8388607; a test never needs more than a screen.
  if (error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value) || std::fabs(value) > 100000)
    return std::nullopt;
  return value;
}

// Runs one line of actions; false (with a message) on a bad action or a
// broken connection.
bool run(wl_display *display, zwlr_virtual_pointer_v1 *device,
         const std::string &line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;)
    words.push_back(word);
  for (size_t i = 0; i < words.size();) {
    const std::string &action = words[i++];
    const auto dx =
        i + 1 < words.size() ? parse_offset(words[i]) : std::nullopt;
    const auto dy =
        i + 1 < words.size() ? parse_offset(words[i + 1]) : std::nullopt;
    if (action == "move" && dx && dy) {
      zwlr_virtual_pointer_v1_motion(device, now_ms(),
                                     wl_fixed_from_double(*dx),
                                     wl_fixed_from_double(*dy));
      zwlr_virtual_pointer_v1_frame(device);
      i += 2;
    } else if (action == "click") {
      uint32_t button = BTN_LEFT;
      if (i < words.size() &&
          (words[i] == "right" || words[i] == "middle" || words[i] == "left")) {
        button = words[i] == "right"    ? BTN_RIGHT
                 : words[i] == "middle" ? BTN_MIDDLE
                                        : BTN_LEFT;
        ++i;
      }
      for (auto state : {WL_POINTER_BUTTON_STATE_PRESSED,
                         WL_POINTER_BUTTON_STATE_RELEASED}) {
        zwlr_virtual_pointer_v1_button(device, now_ms(), button, state);
        zwlr_virtual_pointer_v1_frame(device);
      }
    } else {
      std::cerr << "vpointer: bad action at \"" << action << "\"\n";
      return false;
    }
  }
  // A round trip: the compositor has handled everything sent so far, and a
  // protocol error shows here.
  if (wl_display_roundtrip(display) >= 0)
    return true;
  std::cerr << "vpointer: connection failed: "
            << std::strerror(wl_display_get_error(display)) << "\n";
  return false;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2 || std::string(argv[1]) != "-") {
    std::cerr << "usage: vpointer -\n";
    return 2;
  }
  wl_display *display = wl_display_connect(nullptr);
  if (!display) {
    std::cerr << "vpointer: cannot connect to the Wayland display\n";
    return 1;
  }
  Globals globals;
  wl_registry *registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, &globals);
  if (wl_display_roundtrip(display) < 0 || !globals.manager) {
    std::cerr << "vpointer: the compositor offers no virtual pointer\n";
    wl_display_disconnect(display);
    return 1;
  }
  zwlr_virtual_pointer_v1 *device =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager,
                                                             globals.seat);
  int status = 0;
  for (std::string line; std::getline(std::cin, line);) {
    if (!run(display, device, line)) {
      status = 1;
      break;
    }
    std::cout << "done" << std::endl;
  }

  zwlr_virtual_pointer_v1_destroy(device);
  zwlr_virtual_pointer_manager_v1_destroy(globals.manager);
  if (globals.seat)
    wl_seat_destroy(globals.seat);
  wl_registry_destroy(registry);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return status;
}
