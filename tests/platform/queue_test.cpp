// The message queue and timers on the virtual clock: the order messages are
// taken in, filters, the quit message, one pending message per timer, due
// times and the tick wrap, and waits that can never end.
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

TEST_F(Queue, SentThenPostedQuitInputPaintTimer) {
  HWND s = Make("S", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
  Pump();
  journal.clear();
  PostMessageA(s, WM_USER + 1, 0, 0);
  SetTimer(s, 7, 10, nullptr);
  InvalidateRect(s, nullptr, TRUE);
  platform::PressKey('Q');
  PostMessageA(s, WM_USER + 2, 0, 0);
  SendMessageA(s, WM_USER + 3, 0, 0);
  EXPECT_EQ(journal, std::vector<std::string>{"S:user3"}); // at once
  PostQuitMessage(4);
  Sleep(30);
  std::vector<std::string> taken;
  MSG msg;
  while (taken.size() < 9 && GetMessageA(&msg, nullptr, 0, 0) >= 0) {
    taken.push_back(msg.message == WM_QUIT
                        ? "quit" + std::to_string(msg.wParam)
                        : NameOf(msg.hwnd) + ":" + MessageName(msg.message));
    DispatchMessageA(&msg);
  }
  // The paint is taken again and again until it is validated; the timer's
  // one pending message comes last, and the next only a period later.
  EXPECT_EQ(taken, (std::vector<std::string>{"S:user1", "S:user2", "quit4",
                                             "S:keydown", "S:keyup", "S:paint",
                                             "S:timer", "S:timer", "S:timer"}));
  EXPECT_EQ(GetTickCount(), 50u);
  EXPECT_EQ(Only({"erase"}).size(), 1u);
}

TEST_F(Queue, WindowRangeAndThreadFilters) {
  HWND a = Make("A", WS_POPUP, 0, 0, 50, 50);
  HWND b = Make("B", WS_CHILD, 0, 0, 10, 10, a);
  HWND c = Make("C", WS_POPUP, 0, 0, 50, 50);
  PostMessageA(c, WM_USER + 1, 0, 0);
  PostMessageA(b, WM_USER + 2, 0, 0);
  PostMessageA(nullptr, WM_USER + 3, 0, 0);
  PostMessageA(a, WM_USER + 4, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1u); // still there:
  EXPECT_EQ(Take(b), "B:user2");
  EXPECT_EQ(Take(a), "A:user4"); // the parent's filter takes its children's
  EXPECT_EQ(Take(reinterpret_cast<HWND>(-1)), "?:user3");
  PostMessageA(a, WM_USER + 5, 0, 0);
  EXPECT_EQ(Take(nullptr, WM_USER + 5, WM_USER + 9), "A:user5");
  EXPECT_EQ(Take(nullptr, WM_USER + 1, WM_USER + 1), "C:user1");
  EXPECT_EQ(Take(), "none");

  // A dead window's messages go with it; posting to it fails.
  PostMessageA(c, WM_USER + 6, 0, 0);
  DestroyWindow(c);
  EXPECT_FALSE(PostMessageA(c, WM_USER + 7, 0, 0));
  EXPECT_EQ(Take(), "none");
  EXPECT_EQ(GetMessageA(&msg, c, 0, 0), -1);
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  EXPECT_FALSE(PeekMessageA(&msg, c, 0, 0, PM_REMOVE));
}

TEST_F(Queue, QuitOnlyWhenItsRangeIsAsked) {
  PostQuitMessage(9);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 9u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)); // taken
}

TEST_F(Queue, OnePendingMessagePerTimerAndNoneAfterKill) {
  HWND s = Make("S", WS_POPUP, 0, 0, 50, 50);
  const std::size_t before = platform::LiveObjectCount();
  EXPECT_EQ(SetTimer(s, 8, 10, nullptr), 8u);
  EXPECT_EQ(SetTimer(s, 9, 10, nullptr), 9u);
  EXPECT_EQ(platform::LiveObjectCount(), before + 2);
  Sleep(1000);
  MSG msg;
  int dropped = 0;
  while (dropped < 9 &&
         PeekMessageA(&msg, s, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD)) {
    ++dropped;
  }
  EXPECT_EQ(dropped, 2); // one per timer
  Sleep(10);
  EXPECT_TRUE(KillTimer(s, 8));
  EXPECT_FALSE(KillTimer(s, 8));
  EXPECT_EQ(Take(), "S:timer");
  EXPECT_EQ(Take(), "none");
  // Timers die with their window.
  DestroyWindow(s);
  EXPECT_EQ(platform::LiveObjectCount(), before - 2);
  EXPECT_EQ(SetTimer(s, 1, 10, nullptr), 0u);
}

TEST_F(Queue, DueTimesRestartMinimumPeriodAndTickWrap) {
  HWND s = Make("S", WS_POPUP, 0, 0, 50, 50);
  platform::SetTickCount(0xFFFFFFF0u);
  SetTimer(s, 1, 50, nullptr);
  SetTimer(s, 1, 100, nullptr); // replaces: due 100 ms from now
  SetTimer(s, 2, 0, nullptr);   // raised to the 10 ms minimum
  std::vector<DWORD> times;
  MSG msg;
  while (times.size() < 4 && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.wParam == 1) {
      times.push_back(msg.time);
    } else if (msg.wParam == 2) {
      EXPECT_EQ(msg.time, 0xFFFFFFFAu);
      KillTimer(s, 2);
    }
  }
  EXPECT_EQ(times, (std::vector<DWORD>{0x54, 0xB8, 0x11C, 0x180}));
  EXPECT_EQ(GetTickCount(), 0x180u);

  // A timer taken late starts its next period then, not on the old beat.
  Sleep(250);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.time, 0x180u + 250);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.time, 0x180u + 350);
}

int procCalls = 0;
void CALLBACK CountTicks(HWND window, UINT message, UINT_PTR, DWORD) {
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(message, static_cast<UINT>(WM_TIMER));
  ++procCalls;
}

TEST_F(Queue, ThreadTimerCallsItsProcedure) {
  procCalls = 0;
  const UINT_PTR id = SetTimer(nullptr, 77, 20, CountTicks);
  ASSERT_NE(id, 0u);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, id);
  DispatchMessageA(&msg);
  EXPECT_EQ(procCalls, 1);
  // A forged message naming another procedure calls nothing.
  msg.lParam = 12345;
  DispatchMessageA(&msg);
  EXPECT_EQ(procCalls, 1);
  EXPECT_TRUE(KillTimer(nullptr, id));
}

TEST_F(Queue, ScheduledEventsRunInOrderWhileWaiting) {
  std::string order;
  platform::ScheduleAfter(30, [&] { order += "b"; });
  platform::ScheduleAfter(10, [&] { order += "a"; });
  platform::ScheduleAfter(30, [&] { order += "c"; });
  platform::ScheduleAfter(100, [&] { PostQuitMessage(0); });
  Sleep(30);
  EXPECT_EQ(order, "abc");
  EXPECT_EQ(GetTickCount(), 30u);
  MSG msg;
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(GetTickCount(), 100u);
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
