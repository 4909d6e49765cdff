// The message queue's filters and waits, beyond the orders compared with
// Wine. Timers are in timers_test.
#include "windowing_fixture.h"

using namespace windowing_test;

namespace {

using Queue = Windowing;

std::string Take(HWND window = nullptr, UINT first = 0, UINT last = 0) {
  MSG msg;
  if (!PeekMessageA(&msg, window, first, last, PM_REMOVE)) {
    return "none";
  }
  return NameOf(msg.hwnd) + ":" + MessageName(msg.message);
}

TEST_F(Queue, WindowRangeAndQuitFilters) {
  HWND a = Make("A", WS_POPUP, 0, 0, 50, 50);
  HWND b = Make("B", WS_CHILD, 0, 0, 10, 10, a);
  HWND c = Make("C", WS_POPUP, 0, 0, 50, 50);
  PostMessageA(c, WM_USER + 1, 0, 0);
  PostMessageA(b, WM_USER + 2, 0, 0);
  PostMessageA(nullptr, WM_USER + 3, 0, 0);
  PostMessageA(a, WM_USER + 4, 0, 0);
  EXPECT_EQ(Take(a), "B:user2"); // the parent's filter takes its children's
  EXPECT_EQ(Take(a), "A:user4");
  EXPECT_EQ(Take(reinterpret_cast<HWND>(-1)), "?:user3");
  EXPECT_EQ(Take(nullptr, WM_USER + 1, WM_USER + 1), "C:user1");

  // A dead window's messages and timers go with it; posting to it fails.
  const std::size_t before = platform::LiveObjectCount();
  SetTimer(c, 1, 10, nullptr);
  PostMessageA(c, WM_USER + 6, 0, 0);
  DestroyWindow(c); // and with it its timer, its own DC and itself
  EXPECT_EQ(platform::LiveObjectCount(), before - 2);
  EXPECT_EQ(SetTimer(c, 1, 10, nullptr), 0u);
  EXPECT_FALSE(PostMessageA(c, WM_USER + 7, 0, 0));
  Sleep(20);
  EXPECT_EQ(Take(), "none");
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, c, 0, 0), -1);
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);

  // The quit comes only when its range is asked for, and once.
  PostQuitMessage(9);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 9u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Queue, WaitThatCanNeverEndCallsIdleHandlerOrAborts) {
  int idle = 0;
  platform::SetIdleHandler([&] {
    if (++idle == 2) {
      PostQuitMessage(1);
    }
  });
  MSG msg;
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(idle, 2);
  platform::SetIdleHandler([] {});
  EXPECT_DEATH(GetMessageA(&msg, nullptr, 0, 0), "idle handler changed");
  platform::SetIdleHandler(nullptr);
  EXPECT_DEATH(GetMessageA(&msg, nullptr, 0, 0), "can never come");
}

} // namespace
