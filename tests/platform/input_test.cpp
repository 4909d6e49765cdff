// Scripted input: keys to the focus (else the active) window, mouse
// messages to the deepest enabled visible window under the cursor behind a
// sent WM_SETCURSOR, and the cursor, foreground, metrics and running state.
#include "windowing_fixture.h"

using namespace windowing_test;

namespace {

using Input = Windowing;
using Strings = std::vector<std::string>;

struct Taken {
  std::string what;
  WPARAM wParam;
  LPARAM lParam;
};

// Pumps like the saver's loop, keeping what reached the procedures.
std::vector<Taken> PumpKeeping(std::initializer_list<UINT> kept) {
  std::vector<Taken> out;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    for (UINT k : kept) {
      if (msg.message == k) {
        out.push_back({NameOf(msg.hwnd) + ":" + MessageName(msg.message),
                       msg.wParam, msg.lParam});
      }
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return out;
}

TEST_F(Input, KeysGoToFocusThenActiveWindow) {
  HWND p = Make("P", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
  HWND c = Make("C", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, p);
  Windowing::Pump();
  SetFocus(c);
  platform::PressKey('A');
  auto got = PumpKeeping({WM_KEYDOWN, WM_CHAR, WM_KEYUP});
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].what, "C:keydown");
  EXPECT_EQ(got[0].lParam, 1);
  EXPECT_EQ(got[1].what, "C:char");
  EXPECT_EQ(got[1].wParam, static_cast<WPARAM>('a'));
  EXPECT_EQ(static_cast<uint32_t>(got[2].lParam), 0xC0000001u);

  SetFocus(nullptr);
  platform::KeyDown(VK_SHIFT);
  platform::PressKey('B');
  got = PumpKeeping({WM_CHAR});
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].what, "P:char");
  EXPECT_EQ(got[0].wParam, static_cast<WPARAM>('B'));
  platform::KeyUp(VK_SHIFT);

  // While Alt is held keys are system keys; Alt+F4 closes through
  // DefWindowProcA.
  platform::KeyDown(VK_MENU);
  platform::PressKey('X');
  platform::PressKey(VK_F4);
  got = PumpKeeping({WM_SYSKEYDOWN, WM_SYSCHAR, WM_KEYDOWN});
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].what, "P:syskeydown");
  EXPECT_EQ(got[0].wParam, static_cast<WPARAM>(VK_MENU));
  EXPECT_EQ(got[2].what, "P:syschar");
  EXPECT_EQ(static_cast<uint32_t>(got[3].lParam) & (1u << 29), 1u << 29);
  EXPECT_FALSE(IsWindow(p));
  platform::KeyUp(VK_MENU); // nobody left to take it: dropped
  EXPECT_EQ(PumpKeeping({WM_SYSKEYUP}).size(), 0u);
}

TEST_F(Input, MouseGoesToDeepestEnabledVisibleWindow) {
  HWND p = Make("P", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
  Make("C", WS_CHILD | WS_VISIBLE, 50, 20, 40, 30, p);
  Make("H", WS_CHILD, 0, 0, 200, 100, p); // hidden: never hit
  Make("D", WS_CHILD | WS_VISIBLE | WS_DISABLED, 150, 0, 50, 50, p);
  Windowing::Pump();
  journal.clear();
  platform::MoveCursorTo(60, 30);
  platform::Click(VK_LBUTTON);
  platform::MoveCursorTo(160, 10); // over the disabled child
  platform::ButtonDown(VK_RBUTTON);
  auto got = PumpKeeping({WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN});
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].what, "C:mousemove");
  EXPECT_EQ(got[0].lParam, 10 | 10 << 16); // client coordinates
  EXPECT_EQ(got[1].what, "C:lbuttondown");
  EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(got[3].what, "P:rbuttondown");
  EXPECT_EQ(got[3].lParam, 160 | 10 << 16);
  // Each mouse message is preceded by a sent WM_SETCURSOR, which a child
  // hands to its parent through DefWindowProcA.
  EXPECT_EQ(
      Only({"setcursor", "mousemove", "lbuttondown", "lbuttonup"}),
      (Strings{"C:setcursor", "P:setcursor", "C:mousemove", "C:setcursor",
               "P:setcursor", "C:lbuttondown", "C:setcursor", "P:setcursor",
               "C:lbuttonup", "P:setcursor", "P:mousemove", "P:setcursor"}));
}

TEST_F(Input, SetCursorMessageAndCoalescedMoves) {
  HWND p = Make("P", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
  Windowing::Pump();
  LPARAM setCursorParam = 0;
  handler = [&](HWND, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_SETCURSOR) {
      EXPECT_EQ(w, reinterpret_cast<WPARAM>(p));
      setCursorParam = l;
    }
    return std::nullopt;
  };
  platform::MoveCursorBy(1, 0);
  platform::MoveCursorBy(1, 0);
  platform::MoveCursorBy(1, 2);
  platform::MoveCursorBy(0, 0); // no move, no message
  auto got = PumpKeeping({WM_MOUSEMOVE});
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].lParam, 3 | 2 << 16);
  EXPECT_EQ(setCursorParam, HTCLIENT | WM_MOUSEMOVE << 16);
  platform::MoveCursorTo(-50, 5000); // stays on the screen
  POINT at{};
  EXPECT_TRUE(GetCursorPos(&at));
  EXPECT_EQ(at.x, 0);
  EXPECT_EQ(at.y, 99);
  EXPECT_FALSE(GetCursorPos(nullptr));
  handler = nullptr;

  EXPECT_TRUE(platform::CursorShown());
  const HCURSOR arrow = SetCursor(nullptr);
  EXPECT_NE(arrow, nullptr);
  EXPECT_FALSE(platform::CursorShown());
  EXPECT_EQ(SetCursor(arrow), nullptr);
  EXPECT_TRUE(platform::CursorShown());
}

TEST_F(Input, ForegroundMetricsAndRunningState) {
  HWND a = Make("A", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20);
  HWND b = Make("B", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20);
  EXPECT_EQ(GetForegroundWindow(), b);
  journal.clear();
  EXPECT_TRUE(SetForegroundWindow(a));
  EXPECT_EQ(journal, (Strings{"B:ncactivate", "B:activate", "A:ncactivate",
                              "A:activate", "B:killfocus", "A:setfocus"}));
  EXPECT_EQ(GetFocus(), a);
  EXPECT_FALSE(SetForegroundWindow(reinterpret_cast<HWND>(0x777)));
  EXPECT_EQ(GetForegroundWindow(), a);

  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 200);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 100);
  EXPECT_EQ(GetSystemMetrics(42), 0);

  BOOL previous = 7;
  EXPECT_TRUE(
      SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 1, &previous, 0));
  EXPECT_EQ(previous, FALSE);
  EXPECT_TRUE(platform::ScreenSaverRunning());
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 1, nullptr, 0));
  BOOL running = FALSE;
  EXPECT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0));
  EXPECT_TRUE(running);
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, nullptr, 0));
  EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, &running, 0));
  platform::ResetWindowing();
  EXPECT_FALSE(platform::ScreenSaverRunning());
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ(GetTickCount(), 0u);
}

} // namespace
