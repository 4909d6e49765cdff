// Switches the screen-saver running state on the X display as the password
// code does, one step per line read from stdin ("on", "off"), answering
// each with the state now. The suite checks the grabs from outside.
#include <cstdio>
#include <iostream>
#include <string>

#include "layer_x11.h"
#include "winapi.h"

int main() {
  if (!platform::OpenX11Display(nullptr)) {
    std::puts("no display");
    return 2;
  }
  std::string line;
  while (std::getline(std::cin, line)) {
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, line == "on" ? 1 : 0,
                          &previous, 0);
    BOOL now = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &now, 0);
    std::printf("%s\n", now ? "running" : "stopped");
    std::fflush(stdout);
  }
  return 0;
}
