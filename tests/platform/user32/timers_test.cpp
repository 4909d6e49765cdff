// Timers on the virtual clock, beyond the orders compared with Wine.
#include "windowing_fixture.h"

using namespace windowing_test;

namespace {

using Queue = Windowing;

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

  // A timer taken late starts its next period then, not on the old beat.
  Sleep(250);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.time, 0x180u + 250);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.time, 0x180u + 350);
}

int procCalls = 0;
void CALLBACK CountTicks(HWND, UINT, UINT_PTR, DWORD) { ++procCalls; }

TEST_F(Queue, ThreadTimerCallsItsProcedureAndNoForgedOne) {
  procCalls = 0;
  const UINT_PTR id = SetTimer(nullptr, 77, 20, CountTicks);
  ASSERT_NE(id, 0u);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, id);
  DispatchMessageA(&msg);
  EXPECT_EQ(procCalls, 1);
  msg.lParam = 12345; // names a procedure that is not there
  DispatchMessageA(&msg);
  EXPECT_EQ(procCalls, 1);
  EXPECT_TRUE(KillTimer(nullptr, id));
  EXPECT_FALSE(KillTimer(nullptr, id));
}

} // namespace
