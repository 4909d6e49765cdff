// Scripted input and the cursor. The running state is tested with the
// saver's fault guard (tests/host).
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
  auto got = PumpKeeping({WM_CHAR});
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].what, "C:char");
  EXPECT_EQ(got[0].wParam, static_cast<WPARAM>('a'));

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
  EXPECT_EQ(got[0].lParam, 10 | 10 << 16); // client coordinates
  EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(got[3].what, "P:rbuttondown");
  EXPECT_EQ(got[3].lParam, 160 | 10 << 16);
  // Each mouse message follows a sent WM_SETCURSOR, which a child hands to
  // its parent through DefWindowProcA.
  EXPECT_EQ(Only({"setcursor", "mousemove"}),
            (Strings{"C:setcursor", "P:setcursor", "C:mousemove", "C:setcursor",
                     "P:setcursor", "C:setcursor", "P:setcursor", "P:setcursor",
                     "P:mousemove", "P:setcursor"}));
  // The cursor stays on the screen.
  platform::MoveCursorTo(-50, 5000);
  POINT at{};
  EXPECT_TRUE(GetCursorPos(&at));
  EXPECT_EQ(at.x, 0);
  EXPECT_EQ(at.y, 99);
  EXPECT_FALSE(GetCursorPos(nullptr));
}

} // namespace
