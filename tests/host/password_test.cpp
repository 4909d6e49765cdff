// Password protection in whole runs: the registry switch, the verifier
// library, the quiet period after a refusal, checks that nest, and the
// guard that switches the running state off when a fault escapes.
#include <csignal>
#include <stdexcept>

#include "animation.h"
#include "host_fixture.h"
#include "host_state.h"
#include "password.h"
#include "saver_window.h"

namespace host_test {
namespace {

// Only the first 4 bytes count, of any type; a longer value is refused.
TEST_F(SaverHost, TheSwitchIsAnyValueOfUpToFourBytesNotZero) {
  struct Case {
    DWORD type;
    std::vector<BYTE> data;
    bool on;
  };
  const Case cases[] = {
      {REG_DWORD, {1, 0, 0, 0}, true},
      {REG_DWORD, {0, 0, 0, 0}, false},
      {REG_BINARY, {0, 0, 0, 1}, true},
      {REG_SZ, {'0', 0}, true},
      {REG_NONE, {0, 0, 1}, true},
      {REG_BINARY, {1}, true},
      {REG_BINARY, {0}, false},
      {REG_BINARY, {0, 0, 0}, false},
      {REG_BINARY, {}, false},
      {REG_DWORD, {1, 0, 0, 0, 0}, false},
      {REG_BINARY, {1, 1, 1, 1, 1, 1, 1, 1}, false},
  };
  for (const Case &c : cases) {
    Fresh();
    SetPasswordSwitch(c.type, c.data);
    AddVerifier();
    bool running = false;
    int loaded = -1;
    After(300, [&] {
      running = platform::ScreenSaverRunning();
      loaded = platform::ModuleLoadCount("PASSWORD.CPL");
      platform::PressKey(VK_SPACE);
    });
    const std::string label =
        std::to_string(c.type) + "/" + std::to_string(c.data.size());
    EXPECT_EQ(Dispatch("/s"), 0) << label;
    EXPECT_EQ(running, c.on) << label;
    EXPECT_EQ(loaded, c.on ? 1 : 0) << label;
    EXPECT_EQ(verifyCalls, c.on ? 1 : 0) << label;
    EXPECT_FALSE(platform::ScreenSaverRunning()) << label;
    EXPECT_EQ(platform::ModuleLoadCount("PASSWORD.CPL"), 0) << label;
  }
}

TEST_F(SaverHost, AVerifierLibraryWithoutItsEntryIsFreedAtOnce) {
  SetPasswordSwitch(REG_DWORD, {1, 0, 0, 0});
  AddVerifier(false);
  bool running = true;
  int loaded = -1;
  After(300, [&] {
    running = platform::ScreenSaverRunning();
    loaded = platform::ModuleLoadCount("PASSWORD.CPL");
    platform::PressKey(VK_SPACE);
  });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_FALSE(running);
  EXPECT_EQ(loaded, 0);
  EXPECT_LT(GetTickCount(), 400u);
}

// After a refused check, requests in the next 200 ms are refused without a
// check; the cursor is hidden again and travel counts from where it is.
TEST_F(SaverHost, ARefusalIsFollowedByTwoHundredQuietMilliseconds) {
  UsePassword();
  platform::MoveCursorTo(100, 100);
  DWORD refusedAt = 0;
  DWORD endedAt = 0;
  bool hiddenAgain = false;
  POINT remembered = {};
  verifyAnswer = [&](HWND window) {
    if (verifyCalls > 1) {
      endedAt = GetTickCount();
      return TRUE;
    }
    refusedAt = GetTickCount();
    platform::MoveCursorTo(300, 200);
    After(199, [window] { PostMessageA(window, WM_CLOSE, 0, 0); });
    After(200, [window] { PostMessageA(window, WM_CLOSE, 0, 0); });
    After(100, [&] {
      hiddenAgain = !platform::CursorShown();
      remembered = lastCursorPos;
    });
    return FALSE;
  };
  After(500, [] { platform::PressKey(VK_SPACE); });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_EQ(verifyCalls, 2);
  EXPECT_EQ(endedAt - refusedAt, 200u);
  EXPECT_TRUE(hiddenAgain);
  EXPECT_EQ(remembered.x, 300);
  EXPECT_EQ(remembered.y, 200);
}

// The quiet period is measured across the tick counter's wrap at 2^32.
TEST_F(SaverHost, TheQuietPeriodSurvivesTheTickWrap) {
  UsePassword();
  platform::SetTickCount(0xFFFFFFFFu - 399);
  std::vector<DWORD> checks;
  verifyAnswer = [&](HWND window) {
    checks.push_back(GetTickCount());
    if (checks.size() > 1) {
      return TRUE;
    }
    After(150, [window] { PostMessageA(window, WM_CLOSE, 0, 0); });
    After(250, [window] { PostMessageA(window, WM_CLOSE, 0, 0); });
    return FALSE;
  };
  After(300, [] { platform::PressKey(VK_SPACE); });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_EQ(checks, (std::vector<DWORD>{0xFFFFFFFFu - 99, 150}));
}

// The check's dialog keeps dispatching the saver's messages: close requests
// that arrive then are refused without a second check, while timer ticks
// still run steps.
TEST_F(SaverHost, CloseRequestsDuringACheckAreRefused) {
  UsePassword();
  LRESULT sentClose = 1;
  bool verifying = false;
  bool aliveInCheck = false;
  LONG framesBefore = 0;
  LONG framesAfter = 0;
  verifyAnswer = [&](HWND window) {
    verifying = verifyingFlag == 1;
    framesBefore = stepCount * 100 + frameIndex;
    PostMessageA(window, WM_CLOSE, 0, 0);
    sentClose = SendMessageA(window, WM_CLOSE, 0, 0);
    platform::KeyDown(VK_SPACE);
    Sleep(350);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    framesAfter = stepCount * 100 + frameIndex;
    aliveInCheck = IsWindow(window) != 0;
    return TRUE;
  };
  After(400, [] { platform::PressKey(VK_SPACE); });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_EQ(verifyCalls, 1);
  EXPECT_TRUE(verifying);
  EXPECT_EQ(sentClose, 0);
  EXPECT_TRUE(aliveInCheck);
  EXPECT_NE(framesAfter, framesBefore);
}

// Before the check, at most two timer messages still queued are dropped.
TEST_F(SaverHost, UpToTwoQueuedTicksAreDroppedBeforeACheck) {
  UsePassword();
  constexpr WPARAM marked = 77;
  int markedLeft = -1;
  verifyAnswer = [&](HWND window) {
    markedLeft = 0;
    MSG message;
    while (PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
      markedLeft += message.wParam == marked ? 1 : 0;
    }
    return TRUE;
  };
  After(350, [] {
    PostMessageA(saverWindow, WM_CLOSE, 0, 0);
    for (int i = 0; i < 3; ++i) {
      PostMessageA(saverWindow, WM_TIMER, marked, 0);
    }
  });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_EQ(markedLeft, 1);
}

// A fault that escapes a mode ends it with the running state switched off;
// the exit code is that switch's result, and the guard's handlers are gone.
TEST_F(SaverHost, TheGuardSwitchesTheRunningStateOffAfterAFault) {
  const std::pair<const char *, std::function<BOOL(HWND)>> faults[] = {
      {"segv",
       [](HWND) {
         std::raise(SIGSEGV);
         return TRUE;
       }},
      {"abort",
       [](HWND) {
         std::raise(SIGABRT);
         return TRUE;
       }},
      {"throw",
       [](HWND) -> BOOL { throw std::runtime_error("verifier failed"); }},
  };
  for (const auto &[name, fault] : faults) {
    Fresh();
    UsePassword();
    struct sigaction before = {};
    sigaction(SIGSEGV, nullptr, &before);
    verifyAnswer = fault;
    bool running = false;
    After(300, [&running] {
      running = platform::ScreenSaverRunning();
      platform::PressKey(VK_SPACE);
    });
    EXPECT_EQ(Dispatch("/s"), 1) << name;
    EXPECT_TRUE(running) << name;
    EXPECT_FALSE(platform::ScreenSaverRunning()) << name;
    struct sigaction after = {};
    sigaction(SIGSEGV, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler) << name;
    // The process would end here: the window and the library that the
    // fault left behind are all that remains.
    DestroyWindow(saverWindow);
    EXPECT_EQ(platform::ModuleLoadCount("PASSWORD.CPL"), 1) << name;
    FreeLibrary(passwordLibrary);
    EXPECT_EQ(platform::LiveObjectCount(), live) << name;
  }
}

} // namespace
} // namespace host_test
