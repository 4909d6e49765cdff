// The tests' own pointer: moves and clicks through a wlr virtual pointer on
// the compositor named by WAYLAND_DISPLAY.
//
//   vpointer ACTION...    run the actions in order on one device
//   vpointer -            read actions from stdin, one line at a time, and
//                         answer each line with "done" once the compositor
//                         has taken it
//
// Actions: move DX DY | click [BUTTON] | press [BUTTON] | release [BUTTON] |
// wait MS. BUTTON is left, right, middle or an evdev code (default left).
// The device lives as long as the connection, so a test that must keep it
// (the seat's capabilities change when it goes) uses one process.
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
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
const wl_registry_listener registry_listener = {on_global, on_global_remove};

uint32_t now_ms() {
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

std::optional<double> parse_offset(std::string_view text) {
  double value = 0;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  // wl_fixed_t holds +-8388607; a test never needs more than a screen.
  if (error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value) || std::fabs(value) > 100000)
    return std::nullopt;
  return value;
}

std::optional<uint32_t> parse_button(std::string_view text) {
  if (text == "left")
    return BTN_LEFT;
  if (text == "right")
    return BTN_RIGHT;
  if (text == "middle")
    return BTN_MIDDLE;
  uint32_t code = 0;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), code);
  if (error != std::errc() || end != text.data() + text.size() ||
      code < BTN_MISC || code > KEY_MAX)
    return std::nullopt;
  return code;
}

class Pointer {
public:
  Pointer(wl_display *display, zwlr_virtual_pointer_v1 *device)
      : display_(display), device_(device) {}

  // Runs the actions in words; false (with a message) on a bad action or a
  // broken connection.
  bool run(const std::vector<std::string> &words) {
    for (size_t i = 0; i < words.size();) {
      const std::string &action = words[i++];
      auto arg = [&](size_t k) -> std::optional<std::string_view> {
        if (i + k < words.size())
          return words[i + k];
        return std::nullopt;
      };
      if (action == "move") {
        auto dx = arg(0) ? parse_offset(*arg(0)) : std::nullopt;
        auto dy = arg(1) ? parse_offset(*arg(1)) : std::nullopt;
        if (!dx || !dy)
          return usage("move needs two offsets");
        i += 2;
        zwlr_virtual_pointer_v1_motion(device_, now_ms(),
                                       wl_fixed_from_double(*dx),
                                       wl_fixed_from_double(*dy));
        zwlr_virtual_pointer_v1_frame(device_);
      } else if (action == "click" || action == "press" ||
                 action == "release") {
        uint32_t button = BTN_LEFT;
        if (auto name = arg(0); name && parse_button(*name)) {
          button = *parse_button(*name);
          ++i;
        } else if (name && !is_action(*name)) {
          return usage("no such button: " + std::string(*name));
        }
        if (action != "release")
          send_button(button, WL_POINTER_BUTTON_STATE_PRESSED);
        if (action != "press")
          send_button(button, WL_POINTER_BUTTON_STATE_RELEASED);
      } else if (action == "wait") {
        uint32_t ms = 0;
        auto text = arg(0);
        if (!text ||
            std::from_chars(text->data(), text->data() + text->size(), ms)
                    .ptr != text->data() + text->size() ||
            ms > 60000)
          return usage("wait needs milliseconds up to 60000");
        ++i;
        if (!sync())
          return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      } else {
        return usage("no such action: " + action);
      }
    }
    return sync();
  }

private:
  static bool is_action(std::string_view word) {
    return word == "move" || word == "click" || word == "press" ||
           word == "release" || word == "wait";
  }
  static bool usage(const std::string &why) {
    std::cerr << "vpointer: " << why << "\n";
    return false;
  }
  void send_button(uint32_t button, wl_pointer_button_state state) {
    zwlr_virtual_pointer_v1_button(device_, now_ms(), button, state);
    zwlr_virtual_pointer_v1_frame(device_);
  }
  // A round trip: the compositor has handled everything sent so far, and a
  // protocol error (say, a message it does not know) shows here.
  bool sync() {
    if (wl_display_roundtrip(display_) >= 0)
      return true;
    std::cerr << "vpointer: connection failed: "
              << std::strerror(wl_display_get_error(display_)) << "\n";
    return false;
  }

  wl_display *display_;
  zwlr_virtual_pointer_v1 *device_;
};

std::vector<std::string> split(const std::string &line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;)
    words.push_back(word);
  return words;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::cerr << "usage: vpointer ACTION... | vpointer -\n"
                 "actions: move DX DY, click|press|release [BUTTON], "
                 "wait MS\n";
    return 2;
  }
  std::vector<std::string> words(argv + 1, argv + argc);
  bool from_stdin = words.size() == 1 && words[0] == "-";

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
  Pointer pointer(display, device);

  int status = 0;
  if (from_stdin) {
    for (std::string line; std::getline(std::cin, line);) {
      auto actions = split(line);
      if (actions.empty())
        continue;
      if (!pointer.run(actions)) {
        status = 1;
        break;
      }
      std::cout << "done" << std::endl;
    }
  } else if (!pointer.run(words)) {
    status = 1;
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
