// The native gushmire program: starts exactly as gushmire.scr does on
// Windows, with the command line built from argv and the X display as the
// screen.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "entry.h"
#include "layer.h"

// Exit code when there is no display to run on.
constexpr int kNoDisplayExit = 2;

int main(int argc, char **argv) {
  const std::string commandLine =
      platform::CommandLineFromArguments(argc, argv);
  platform::SetCommandLine(commandLine.c_str());
  if (!platform::OpenX11Display(nullptr)) {
    std::fprintf(stderr, "gushmire: cannot open the X display \"%s\"\n",
                 std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY")
                                                   : "");
    return kNoDisplayExit;
  }
  return WinMain(GetModuleHandleA(nullptr), nullptr,
                 const_cast<LPSTR>(GetCommandLineA()), SW_SHOWNORMAL);
}
