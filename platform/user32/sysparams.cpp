// System metrics, the screen-saver running state, and the reset of
// everything windowing between test runs.
#include "core/backend.h"
#include "layer.h"
#include "user32/queue.h"
#include "user32/window.h"

using namespace platform::detail;

namespace {
// SPI_SETSCREENSAVERRUNNING's state; the backend only hears of changes.
bool running = false;

void SetRunning(bool on) {
  running = on;
  TheBackend().SetScreenSaverRunning(on);
}
} // namespace

int WINAPI GetSystemMetrics(int index) {
  const Framebuffer &d = TheFramebuffer();
  const RECT primary = PrimaryMonitor(d);
  switch (index) {
  case SM_CXSCREEN:
    return primary.right - primary.left;
  case SM_CYSCREEN:
    return primary.bottom - primary.top;
  case SM_XVIRTUALSCREEN:
    return d.originX;
  case SM_YVIRTUALSCREEN:
    return d.originY;
  case SM_CXVIRTUALSCREEN:
    return d.width;
  case SM_CYVIRTUALSCREEN:
    return d.height;
  case SM_CMONITORS:
    return d.monitors.empty() ? 1 : static_cast<int>(d.monitors.size());
  default:
    return 0;
  }
}

BOOL WINAPI SystemParametersInfoA(UINT action, UINT param, LPVOID value, UINT) {
  switch (action) {
  case SPI_SETSCREENSAVERRUNNING:
    if (value != nullptr) {
      *static_cast<BOOL *>(value) = running ? TRUE : FALSE;
    }
    SetRunning(param != 0);
    return TRUE;
  case SPI_GETSCREENSAVERRUNNING:
    if (value == nullptr) {
      return FALSE;
    }
    *static_cast<BOOL *>(value) = running ? TRUE : FALSE;
    return TRUE;
  default:
    return FALSE;
  }
}

namespace platform {

void ResetWindowing() {
  ForgetAllMessages();
  ForgetAllWindows();
  ForgetFocus();
  SetRunning(false);
  TheBackend().Reset();
}

bool ScreenSaverRunning() { return running; }
bool EndPreviewsOnSignals() { return TheBackend().EndPreviewsOnSignals(); }

} // namespace platform
