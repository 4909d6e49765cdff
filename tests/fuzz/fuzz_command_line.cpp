// The command line as the process receives it, then the mode it chooses on
// a small headless display. Every mode must end: windows are closed by a
// key press on the virtual clock, and a wait with nothing to come ends it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "entry.h"
#include "fresh_process.h"
#include "host_state.h"
#include "layer_headless.h"
#include "password.h"
#include "saver_procedure.h"
#include "saver_window.h"
#include "startup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  static const bool opened = [] {
    platform::OpenHeadlessDisplay(32, 24);
    return true;
  }();
  static_cast<void>(opened);
  const std::string commandLine(reinterpret_cast<const char *>(data), size);
  const char *tail = CommandLineTail(commandLine.c_str());
  const char *const start = commandLine.c_str();
  if (tail < start || tail > start + commandLine.size()) {
    std::abort();
  }
  const std::size_t objects = platform::LiveObjectCount();
  // Each run starts as a new process would.
  ResetHostVariables();
  platform::ScheduleAfter(30, [] { platform::PressKey(VK_ESCAPE); });
  platform::ScheduleAfter(60, [] { platform::Click(VK_LBUTTON); });
  platform::SetIdleHandler([] { PostQuitMessage(0); });
  DispatchCommandLine(GetModuleHandleA(nullptr), tail);
  platform::ResetWindowing();
  if (platform::ScreenSaverRunning() || platform::LiveObjectCount() > objects) {
    std::abort();
  }
  return 0;
}
