// Prints, one line each, the messages that windows get for the scenarios in
// window_messages.h: creation of a full-screen topmost popup and of a child,
// destruction of a parent with its child, WM_CLOSE, SC_CLOSE and Alt+F4
// through DefWindowProcA, and the order of sent, posted, paint, timer and
// quit messages.
#include <cstdio>

#include "window_messages.h"

int main() {
  window_messages::Run(
      [](const std::string &line) { std::printf("%s\n", line.c_str()); });
  std::fflush(stdout);
  return 0;
}
