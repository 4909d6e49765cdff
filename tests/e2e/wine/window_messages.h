// Window scenarios whose messages are logged, one line each, so the order in
// which Wine delivers them can be recorded (window_messages_dump.exe) and
// compared with what our layer delivers for the same calls
// (window_messages_reference_test). Lines:
//   == SCENARIO                  a scenario starts
//   TAG NAME [WPARAM]            a message reached TAG's procedure; nested
//                                (sent while another message was handled)
//                                lines are indented two blanks per level
//   TAG get NAME [WPARAM]        the loop took a message from the queue
//   NOTE TEXT                    a result the scenario reports
// TAG names the window (the scenario gives each one); WPARAM is printed only
// for messages where it says something stable (show, activation, commands,
// timers, quit).
#pragma once

#include <cstdio>
#include <string>

#include "winapi.h"

namespace window_messages {

using Emit = void (*)(const std::string &line);

inline Emit emit = nullptr;
inline int depth = 0;
inline const char *nextTag = "?";
struct TagEntry {
  HWND window;
  std::string tag;
};
inline TagEntry tags[16];
inline int tagCount = 0;

inline std::string TagOf(HWND window) {
  for (int i = 0; i < tagCount; ++i) {
    if (tags[i].window == window) {
      return tags[i].tag;
    }
  }
  if (tagCount < 16) {
    tags[tagCount++] = TagEntry{window, nextTag};
    return nextTag;
  }
  return "?";
}

inline std::string MessageText(UINT message, WPARAM wParam) {
  struct Name {
    UINT value;
    const char *name;
    bool showWParam;
  };
  static const Name kNames[] = {
      {0x0001, "WM_CREATE", false},
      {0x0002, "WM_DESTROY", false},
      {0x0003, "WM_MOVE", false},
      {0x0005, "WM_SIZE", true},
      {0x0006, "WM_ACTIVATE", true},
      {0x0007, "WM_SETFOCUS", false},
      {0x0008, "WM_KILLFOCUS", false},
      {0x000C, "WM_SETTEXT", false},
      {0x000D, "WM_GETTEXT", false},
      {0x000F, "WM_PAINT", false},
      {0x0010, "WM_CLOSE", false},
      {0x0012, "WM_QUIT", true},
      {0x0014, "WM_ERASEBKGND", false},
      {0x0018, "WM_SHOWWINDOW", true},
      {0x001C, "WM_ACTIVATEAPP", true},
      {0x001F, "WM_CANCELMODE", false},
      {0x0020, "WM_SETCURSOR", false},
      {0x0024, "WM_GETMINMAXINFO", false},
      {0x0046, "WM_WINDOWPOSCHANGING", false},
      {0x0047, "WM_WINDOWPOSCHANGED", false},
      {0x007F, "WM_GETICON", false},
      {0x0081, "WM_NCCREATE", false},
      {0x0082, "WM_NCDESTROY", false},
      {0x0083, "WM_NCCALCSIZE", false},
      {0x0084, "WM_NCHITTEST", false},
      {0x0085, "WM_NCPAINT", false},
      {0x0086, "WM_NCACTIVATE", true},
      {0x0088, "WM_SYNCPAINT", false},
      {0x0100, "WM_KEYDOWN", true},
      {0x0104, "WM_SYSKEYDOWN", true},
      {0x0112, "WM_SYSCOMMAND", true},
      {0x0113, "WM_TIMER", true},
      {0x0200, "WM_MOUSEMOVE", false},
      {0x0210, "WM_PARENTNOTIFY", true},
      {0x0281, "WM_IME_SETCONTEXT", true},
      {0x0282, "WM_IME_NOTIFY", false},
      {0x030F, "WM_QUERYNEWPALETTE", false},
  };
  char text[48];
  for (const Name &n : kNames) {
    if (n.value == message) {
      if (!n.showWParam) {
        return n.name;
      }
      std::snprintf(text, sizeof text, "%s %lx", n.name,
                    static_cast<unsigned long>(wParam & 0xFFFF));
      return text;
    }
  }
  if (message >= WM_USER && message < WM_USER + 0x100) {
    std::snprintf(text, sizeof text, "WM_USER+%u", message - WM_USER);
  } else {
    std::snprintf(text, sizeof text, "0x%04x", message);
  }
  return text;
}

inline void Line(const std::string &text) {
  emit(std::string(static_cast<std::size_t>(2 * depth), ' ') + text);
}

inline LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) {
  Line(TagOf(window) + " " + MessageText(message, wParam));
  ++depth;
  const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
  --depth;
  return result;
}

// Takes every queued message of the thread, logging each one taken.
inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    Line(TagOf(msg.hwnd) + " get " + MessageText(msg.message, msg.wParam));
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

inline HWND Create(const char *tag, DWORD exStyle, const char *title,
                   DWORD style, int width, int height, HWND parent) {
  nextTag = tag;
  HWND window =
      CreateWindowExA(exStyle, "MessageLog", title, style, 0, 0, width, height,
                      parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  nextTag = "?";
  Line(std::string("NOTE created ") + tag + (window ? "" : " failed"));
  return window;
}

inline void Note(const char *what, long value) {
  char text[80];
  std::snprintf(text, sizeof text, "NOTE %s %ld", what, value);
  Line(text);
}

// Counts and removes the window's pending timer messages the way the saver
// drops them before a password check.
inline int DropTimerMessages(HWND window) {
  MSG msg;
  int count = 0;
  while (count < 10 && PeekMessageA(&msg, window, WM_TIMER, WM_TIMER,
                                    PM_REMOVE | PM_NOYIELD)) {
    ++count;
  }
  return count;
}

inline void Run(Emit output) {
  emit = output;
  depth = 0;
  tagCount = 0;
  WNDCLASSA wc{};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = LoggingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "MessageLog";
  if (RegisterClassA(&wc) == 0) {
    Line("NOTE class failed");
    return;
  }
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);

  Line("== full-screen topmost popup, then brought to the front");
  HWND saver = Create("S", WS_EX_TOPMOST, "Screen Saver", 0x96000000u, width,
                      height, nullptr);
  SetForegroundWindow(saver);
  Pump();

  Line("== sent, posted, paint and timer order");
  PostMessageA(saver, WM_USER + 1, 0, 0);
  SetTimer(saver, 7, 10, nullptr);
  InvalidateRect(saver, nullptr, TRUE);
  PostMessageA(saver, WM_USER + 2, 0, 0);
  SendMessageA(saver, WM_USER + 3, 0, 0);
  Sleep(60);
  Pump();
  KillTimer(saver, 7);

  Line("== one pending message per timer, none after KillTimer");
  SetTimer(saver, 8, 10, nullptr);
  Sleep(100);
  Note("pending timer messages", DropTimerMessages(saver));
  SetTimer(saver, 9, 10, nullptr);
  Sleep(50);
  KillTimer(saver, 9);
  KillTimer(saver, 8);
  Note("pending after KillTimer", DropTimerMessages(saver));

  Line("== quit after posted, before paint");
  InvalidateRect(saver, nullptr, FALSE);
  PostMessageA(saver, WM_USER + 4, 0, 0);
  PostQuitMessage(5);
  MSG msg;
  int taken = 0;
  while (taken++ < 10 && GetMessageA(&msg, nullptr, 0, 0)) {
    Line(TagOf(msg.hwnd) + " get " + MessageText(msg.message, msg.wParam));
    DispatchMessageA(&msg);
  }
  Note("quit code", static_cast<long>(msg.wParam));
  Pump();

  Line("== preview child in a parent");
  HWND parent =
      Create("P", 0, "Parent", WS_POPUP | WS_VISIBLE, 320, 240, nullptr);
  Pump();
  HWND child = Create("C", 0, "Preview", 0x52000000u, 320, 240, parent);
  Pump();

  Line("== destroying the parent with its child");
  Note("destroyed", DestroyWindow(parent));
  Note("child left", IsWindow(child));
  // What the parent covered is exposed by the display in its own time
  // (Wine 10 under X): let that come before the messages are read.
  Sleep(100);
  Pump();

  Line("== WM_CLOSE through DefWindowProcA");
  SendMessageA(saver, WM_CLOSE, 0, 0);
  Note("saver left", IsWindow(saver));
  Pump();

  Line("== SC_CLOSE and Alt+F4 through DefWindowProcA");
  HWND first =
      Create("A", 0, "First", WS_POPUP | WS_VISIBLE, 100, 100, nullptr);
  Pump();
  SendMessageA(first, WM_SYSCOMMAND, SC_CLOSE, 0);
  Note("first left", IsWindow(first));
  HWND second =
      Create("B", 0, "Second", WS_POPUP | WS_VISIBLE, 100, 100, nullptr);
  Pump();
  // Bit 29 of lParam: Alt is held.
  SendMessageA(second, WM_SYSKEYDOWN, VK_F4, 0x20000001);
  Pump();
  Note("second left", IsWindow(second));
  Pump();
  UnregisterClassA("MessageLog", GetModuleHandleA(nullptr));
}

} // namespace window_messages
