// A fresh windowing state per test and a window class whose procedure logs
// the messages it gets (names of the ones tests look at, numbers for the
// rest) before handing them to DefWindowProcA or to a test's own handler.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "layer.h"

namespace windowing_test {

inline std::vector<std::string> journal;
// Answers a message in place of DefWindowProcA when it returns a value.
inline std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>
    handler;
inline std::vector<std::pair<HWND, std::string>> names;

// A window takes the name given to Make() with its first message.
inline std::string NameOf(HWND window) {
  for (const auto &entry : names) {
    if (entry.first == window) {
      return entry.second;
    }
  }
  for (auto &entry : names) {
    if (entry.first == nullptr) {
      entry.first = window;
      return entry.second;
    }
  }
  return "?";
}

inline std::string MessageName(UINT message) {
  switch (message) {
  case WM_CREATE:
    return "create";
  case WM_DESTROY:
    return "destroy";
  case WM_NCCREATE:
    return "nccreate";
  case WM_NCDESTROY:
    return "ncdestroy";
  case WM_SIZE:
    return "size";
  case WM_MOVE:
    return "move";
  case WM_SHOWWINDOW:
    return "show";
  case WM_ACTIVATE:
    return "activate";
  case WM_ACTIVATEAPP:
    return "activateapp";
  case WM_NCACTIVATE:
    return "ncactivate";
  case WM_SETFOCUS:
    return "setfocus";
  case WM_KILLFOCUS:
    return "killfocus";
  case WM_PAINT:
    return "paint";
  case WM_ERASEBKGND:
    return "erase";
  case WM_CLOSE:
    return "close";
  case WM_TIMER:
    return "timer";
  case WM_SETCURSOR:
    return "setcursor";
  case WM_MOUSEMOVE:
    return "mousemove";
  case WM_LBUTTONDOWN:
    return "lbuttondown";
  case WM_LBUTTONUP:
    return "lbuttonup";
  case WM_RBUTTONDOWN:
    return "rbuttondown";
  case WM_KEYDOWN:
    return "keydown";
  case WM_KEYUP:
    return "keyup";
  case WM_SYSKEYDOWN:
    return "syskeydown";
  case WM_SYSKEYUP:
    return "syskeyup";
  case WM_CHAR:
    return "char";
  case WM_SYSCHAR:
    return "syschar";
  case WM_SYSCOMMAND:
    return "syscommand";
  case WM_SETTEXT:
    return "settext";
  case WM_GETTEXT:
    return "gettext";
  case WM_WINDOWPOSCHANGING:
    return "poschanging";
  case WM_WINDOWPOSCHANGED:
    return "poschanged";
  case 0x0210:
    return "parentnotify";
  default:
    return message >= WM_USER && message < WM_APP
               ? "user" + std::to_string(message - WM_USER)
               : std::to_string(message);
  }
}

inline LRESULT CALLBACK LogProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  journal.push_back(NameOf(window) + ":" + MessageName(message));
  if (handler) {
    if (const std::optional<LRESULT> answer = handler(window, message, w, l)) {
      return *answer;
    }
  }
  return DefWindowProcA(window, message, w, l);
}

// The journal entries of the listed messages only, in order.
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
    names.clear();
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
    names.emplace_back(nullptr, name);
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
