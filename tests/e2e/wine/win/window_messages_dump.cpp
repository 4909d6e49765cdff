// Prints, one line each, the messages that windows get for the scenarios in
// window_messages.h.
#include <cstdio>

#include "window_messages.h"

int main() {
  window_messages::Run(
      [](const std::string &line) { std::printf("%s\n", line.c_str()); });
  std::fflush(stdout);
  return 0;
}
