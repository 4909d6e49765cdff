// Prints what the system says of its monitors: the screen and virtual
// screen metrics the saver sizes its window from, then every monitor that
// EnumDisplayMonitors lists, in its order, as left top right bottom, with
// the primary marked.
#include <windows.h>

#include <cstdio>

namespace {

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT area, LPARAM) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  const bool primary =
      GetMonitorInfoA(monitor, &info) != 0 && (info.dwFlags & 1) != 0;
  std::printf("monitor %ld %ld %ld %ld%s\n", area->left, area->top, area->right,
              area->bottom, primary ? " primary" : "");
  return TRUE;
}

} // namespace

int main() {
  const struct {
    const char *name;
    int index;
  } metrics[] = {
      {"SM_CXSCREEN", SM_CXSCREEN},
      {"SM_CYSCREEN", SM_CYSCREEN},
      {"SM_XVIRTUALSCREEN", SM_XVIRTUALSCREEN},
      {"SM_YVIRTUALSCREEN", SM_YVIRTUALSCREEN},
      {"SM_CXVIRTUALSCREEN", SM_CXVIRTUALSCREEN},
      {"SM_CYVIRTUALSCREEN", SM_CYVIRTUALSCREEN},
      {"SM_CMONITORS", SM_CMONITORS},
  };
  for (const auto &metric : metrics) {
    std::printf("%s %d\n", metric.name, GetSystemMetrics(metric.index));
  }
  if (!EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0)) {
    std::printf("EnumDisplayMonitors failed\n");
  }
  std::fflush(stdout);
  return 0;
}
