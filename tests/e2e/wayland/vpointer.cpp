// The tests' own pointer: moves and clicks through a wlr virtual pointer on
// the compositor named by WAYLAND_DISPLAY. `vpointer -` reads actions from
// stdin, a line at a time, and answers each line with "done" once the
// compositor has taken it. Actions: move DX DY | click [left|right|middle].
// The device lives as long as the connection (the seat's capabilities
// change when it goes), so a test keeps one process.
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <linux/input-event-codes.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tool_client.h"

namespace {

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
bool run(ToolClient &client, zwlr_virtual_pointer_v1 *device,
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
      zwlr_virtual_pointer_v1_motion(device, NowMs(),
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
        zwlr_virtual_pointer_v1_button(device, NowMs(), button, state);
        zwlr_virtual_pointer_v1_frame(device);
      }
    } else {
      std::cerr << "vpointer: bad action at \"" << action << "\"\n";
      return false;
    }
  }
  return client.Roundtrip();
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2 || std::string(argv[1]) != "-") {
    std::cerr << "usage: vpointer -\n";
    return 2;
  }
  ToolClient client("vpointer");
  if (!client.Connect(zwlr_virtual_pointer_manager_v1_interface))
    return 1;
  auto *manager = client.Manager<zwlr_virtual_pointer_manager_v1>();
  zwlr_virtual_pointer_v1 *device =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager,
                                                             client.seat);
  int status = 0;
  for (std::string line; std::getline(std::cin, line);) {
    if (!run(client, device, line)) {
      status = 1;
      break;
    }
    std::cout << "done" << std::endl;
  }

  zwlr_virtual_pointer_v1_destroy(device);
  zwlr_virtual_pointer_manager_v1_destroy(manager);
  client.manager = nullptr;
  return status;
}
