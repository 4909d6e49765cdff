// The native gushmire program: starts exactly as gushmire.scr does on
// Windows, with the command line built from argv and a real display as the
// screen. It also runs the way XScreenSaver and xsecurelock run their
// hacks: inside a window they name, or on the root, until a signal or the
// window's end stops it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "displays.h"
#include "entry.h"
#include "layer.h"
#include "options.h"

namespace {

const char *Named(const DisplaySystem &system) {
  const char *name = std::getenv(system.variable);
  return name != nullptr && *name != '\0' ? name : nullptr;
}

// Opens the first display system whose variable names a display. Null,
// after saying why, when none is named or none of those named opens.
const DisplaySystem *OpenDisplay() {
  const DisplaySystem *refused = nullptr;
  for (const DisplaySystem &system : DisplaySystems()) {
    if (Named(system) == nullptr) {
      continue;
    }
    if (system.open()) {
      return &system;
    }
    refused = refused != nullptr ? refused : &system;
  }
  if (refused != nullptr) {
    std::fprintf(stderr, "gushmire: cannot open %s \"%s\"\n", refused->what,
                 Named(*refused));
    return nullptr;
  }
  std::string variables, examples;
  for (const DisplaySystem &system : DisplaySystems()) {
    variables +=
        (variables.empty() ? "" : " and ") + std::string(system.variable);
    examples += (examples.empty() ? "" : ", or ") + std::string(system.example);
  }
  std::fprintf(stderr,
               "gushmire: no display is set: %s %s empty or unset.\n"
               "Run it from a desktop session, or %s\n",
               variables.c_str(), DisplaySystems().size() > 1 ? "are" : "is",
               examples.c_str());
  return nullptr;
}

} // namespace

int main(int argc, char **argv) {
  HackOptions hack;
  if (const int code = ReadHackOptions(
          argc, argv, std::getenv("XSCREENSAVER_WINDOW"), &hack);
      code >= 0) {
    return code;
  }
  const DisplaySystem *display = OpenDisplay();
  if (display == nullptr) {
    return kNoDisplayExit;
  }
  std::string commandLine;
  if (hack.on) {
    // A hack is the host's preview in that window: it never ends on input
    // and draws at the window's size, full screen where that is the screen.
    const unsigned long window =
        hack.window != 0 ? hack.window : display->rootWindow();
    const std::string id = std::to_string(window);
    const char *const arguments[] = {argv[0], "/p", id.c_str()};
    commandLine = platform::CommandLineFromArguments(3, arguments);
    if (!platform::EndPreviewOnSignals()) {
      std::fprintf(stderr, "gushmire: cannot catch SIGTERM and SIGINT\n");
    }
  } else {
    commandLine = platform::CommandLineFromArguments(argc, argv);
  }
  platform::SetCommandLine(commandLine.c_str());
  return WinMain(GetModuleHandleA(nullptr), nullptr,
                 const_cast<LPSTR>(GetCommandLineA()), SW_SHOWNORMAL);
}
