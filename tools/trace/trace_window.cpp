#include "trace_window.h"

#ifndef _WIN32
#include "layer_headless.h"
#endif

namespace {
const char traceClass[] = "GushmireTrace";

int Capped(int side) {
  return side < traceSurfaceLimit ? side : traceSurfaceLimit;
}
} // namespace

HWND OpenTraceWindow(int width, int height) {
  const int surfaceWidth = Capped(width);
  const int surfaceHeight = Capped(height);
#ifndef _WIN32
  platform::OpenHeadlessDisplay(surfaceWidth, surfaceHeight);
#endif
  WNDCLASSA windowClass = {};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = traceClass;
  if (RegisterClassA(&windowClass) == 0) {
    return nullptr;
  }
  return CreateWindowExA(0, traceClass, "gushmire-trace", WS_POPUP, 0, 0,
                         surfaceWidth, surfaceHeight, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void CloseTraceWindow(HWND window) {
  DestroyWindow(window);
  UnregisterClassA(traceClass, GetModuleHandleA(nullptr));
}
