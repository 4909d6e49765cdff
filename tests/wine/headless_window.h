// A popup window covering a fresh headless display, with its own DC in
// COLORONCOLOR mode: the saver window's drawing surface in the comparisons
// with Wine.
#pragma once

#include <cstdint>

#include "layer.h"

class HeadlessWindow {
public:
  HeadlessWindow(int width, int height, uint32_t fill) {
    platform::OpenHeadlessDisplay(width, height, fill);
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass); // fails harmlessly when registered
    window_ = CreateWindowExA(0, kClass, "", WS_POPUP | WS_VISIBLE, 0, 0, width,
                              height, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    dc_ = window_ ? GetDC(window_) : nullptr;
    if (dc_) {
      SetStretchBltMode(dc_, COLORONCOLOR);
    }
  }
  ~HeadlessWindow() {
    if (dc_) {
      ReleaseDC(window_, dc_);
    }
    if (window_) {
      DestroyWindow(window_);
    }
  }
  HeadlessWindow(const HeadlessWindow &) = delete;
  HeadlessWindow &operator=(const HeadlessWindow &) = delete;

  HDC Dc() const { return dc_; }

private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    return DefWindowProcA(window, message, w, l);
  }
  static constexpr const char *kClass = "GushmireWineReference";
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};
