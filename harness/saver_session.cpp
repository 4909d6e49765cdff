#include "saver_session.h"

#include "animation.h"
#include "host_state.h"
#include "layer_headless.h"

namespace {
const char surfaceClass[] = "GushmireSurface";
} // namespace

HWND OpenSaverSurface(int width, int height, const uint32_t *picture) {
  platform::OpenHeadlessDisplay(width, height);
  if (picture != nullptr) {
    platform::SetDisplayPicture(picture);
  }
  WNDCLASSA windowClass = {};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = surfaceClass;
  // A second surface in one process finds the class already there.
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, surfaceClass, "gushmire", WS_POPUP, 0, 0, width,
                         height, nullptr, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

void CloseSaverSurface(HWND window) {
  DestroyWindow(window);
  UnregisterClassA(surfaceClass, GetModuleHandleA(nullptr));
}

void StartSaverSession(HWND window, DWORD seed, bool preview) {
  moduleInstance = GetModuleHandleA(nullptr);
  previewFlag = preview ? 1 : 0;
  RECT client = {};
  GetClientRect(window, &client);
  screenWidth = static_cast<float>(client.right - client.left);
  screenHeight = static_cast<float>(client.bottom - client.top);
  windowDC = GetDC(window);
  SetStretchBltMode(windowDC, COLORONCOLOR);
  ReleaseDC(window, windowDC);
  windowDC = nullptr;
  ResetAnimation(seed);
}
