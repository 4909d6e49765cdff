// A fresh windowing state per test and a window class whose procedure logs
// its messages. The order of the messages the layer shares with Wine is
// compared with Wine's in tests/e2e/wine; these tests look at the rest.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "layer_headless.h"

namespace windowing_test {

inline std::vector<std::string> journal;
// Answers a message in place of DefWindowProcA when it returns a value.
inline std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>
    handler;
inline std::string NameOf(HWND window) {
  char title[32] = {};
  return GetWindowTextA(window, title, sizeof title) > 0 ? title : "?";
}

// Short names for the messages tests look at, numbers for the rest.
inline std::string MessageName(UINT message) {
  static const std::pair<UINT, const char *> kNames[] = {
      {WM_PAINT, "paint"},
      {WM_ERASEBKGND, "erase"},
      {WM_SETCURSOR, "setcursor"},
      {WM_MOUSEMOVE, "mousemove"},
      {WM_RBUTTONDOWN, "rbuttondown"},
      {WM_CHAR, "char"},
      {WM_SYSCHAR, "syschar"},
  };
  for (const auto &[value, name] : kNames) {
    if (value == message) {
      return name;
    }
  }
  return message >= WM_USER && message < WM_APP
             ? "user" + std::to_string(message - WM_USER)
             : std::to_string(message);
}

inline LRESULT CALLBACK LogProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message != WM_GETTEXT) { // which NameOf sends
    journal.push_back(NameOf(window) + ":" + MessageName(message));
  }
  if (handler) {
    if (const std::optional<LRESULT> answer = handler(window, message, w, l)) {
      return *answer;
    }
  }
  return DefWindowProcA(window, message, w, l);
}

inline std::vector<std::string> Only(std::initializer_list<const char *> kept) {
  std::vector<std::string> out;
  for (const std::string &entry : journal) {
    const std::string message = entry.substr(entry.find(':') + 1);
    for (const char *k : kept) {
      if (message == k) {
        out.push_back(entry);
      }
    }
  }
  return out;
}

class Windowing : public ::testing::Test {
protected:
  void SetUp() override {
    platform::ResetWindowing();
    live = platform::LiveObjectCount();
    journal.clear();
    handler = nullptr;
    platform::OpenHeadlessDisplay(200, 100, 0x123456);
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = LogProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(6); // COLOR_WINDOW + 1
    wc.lpszClassName = "Log";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  void TearDown() override {
    handler = nullptr;
    platform::ResetWindowing();
    EXPECT_EQ(platform::LiveObjectCount(), live);
  }
  // Creates a window of the logging class named `name` in the journal.
  static HWND Make(const char *name, DWORD style, int x, int y, int w, int h,
                   HWND parent = nullptr, DWORD exStyle = 0) {
    return CreateWindowExA(exStyle, "Log", name, style, x, y, w, h, parent,
                           nullptr, nullptr, nullptr);
  }
  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  std::size_t live = 0;
};

} // namespace windowing_test
