// Password protection in whole saver runs.
#include <algorithm>
#include <csignal>
#include <iterator>
#include <stdexcept>

#include "animation.h"
#include "host_fixture.h"
#include "host_state.h"
#include "password.h"
#include "saver_window.h"

namespace host_test {
namespace {

// Only the first 4 bytes count, of any type; a longer value is refused. A
// verifier library without its entry is freed at once.
TEST_F(SaverHost, TheSwitchIsAnyValueOfUpToFourBytesNotZero) {
  struct Case {
    DWORD type;
    std::vector<BYTE> data;
    bool on;
    bool entry = true;
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
      {REG_DWORD, {1, 0, 0, 0}, false, false},
  };
  for (const Case &c : cases) {
    Fresh();
    SetPasswordSwitch(c.type, c.data);
    AddVerifier(c.entry);
    bool running = false;
    int loaded = -1;
    After(300, [&] {
      running = platform::ScreenSaverRunning();
      loaded = platform::ModuleLoadCount("PASSWORD.CPL");
      platform::PressKey(VK_SPACE);
    });
    const std::string label = std::to_string(c.type) + "/" +
                              std::to_string(c.data.size()) +
                              (c.entry ? "" : " without the entry");
    EXPECT_EQ(Dispatch("/s"), 0) << label;
    EXPECT_EQ(running, c.on) << label;
    EXPECT_EQ(loaded, c.on ? 1 : 0) << label;
    EXPECT_EQ(verifyCalls, c.on ? 1 : 0) << label;
    EXPECT_FALSE(platform::ScreenSaverRunning()) << label;
    EXPECT_EQ(platform::ModuleLoadCount("PASSWORD.CPL"), 0) << label;
  }
}

// After a refusal the cursor is hidden again and travel counts from where
// the cursor is then: 4 pixels from there request nothing. (The quiet
// period's bounds: the burst below.)
TEST_F(SaverHost, ARefusalHidesTheCursorAndRestartsTravel) {
  UsePassword();
  platform::MoveCursorTo(100, 100);
  bool hiddenAgain = false;
  verifyAnswer = [&](HWND) {
    if (verifyCalls > 1) {
      return TRUE;
    }
    // The password dialog takes the pointer's moves and shows a cursor.
    platform::MoveCursorTo(300, 200);
    MSG move;
    PeekMessageA(&move, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE);
    SetCursor(reinterpret_cast<HCURSOR>(1));
    After(100, [&] { hiddenAgain = !platform::CursorShown(); });
    After(300, [] { platform::MoveCursorBy(2, -2); });
    return FALSE;
  };
  After(200, [] { platform::PressKey(VK_SPACE); });
  After(700, [] { platform::PressKey(VK_SPACE); });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_EQ(verifyCalls, 2);
  EXPECT_TRUE(hiddenAgain);
  EXPECT_EQ(GetTickCount(), 700u);
}

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

// Input far faster than anyone types: 10^5 events over one virtual second.
// Without a password the first ends the run; with a verifier that refuses,
// checks run only as often as the quiet period allows, and the saver keeps
// up: each millisecond's events are taken before the next arrive, and it
// makes no objects on the way.
TEST_F(SaverHost, ABurstOfInputEndsOnceOrIsCheckedOnlyAsTheQuietPeriodAllows) {
  constexpr DWORD burstAt = 300;
  constexpr DWORD spanMs = 1000;
  constexpr int perMs = 100;
  for (const bool password : {false, true}) {
    Fresh();
    if (password) {
      UsePassword();
    }
    bool yes = false;
    std::vector<DWORD> checks;
    verifyAnswer = [&](HWND) {
      checks.push_back(GetTickCount());
      return yes ? TRUE : FALSE;
    };
    int backlog = 0;
    long extraObjects = 0;
    long objectsAtStart = 0;
    for (DWORD ms = 0; ms < spanMs; ++ms) {
      After(burstAt + ms, [&, ms] {
        const auto objects = static_cast<long>(platform::LiveObjectCount());
        objectsAtStart = ms == 0 ? objects : objectsAtStart;
        extraObjects = std::max(extraObjects, objects - objectsAtStart);
        MSG queued;
        backlog += PeekMessageA(&queued, nullptr, WM_KEYDOWN, WM_SYSKEYUP,
                                PM_NOREMOVE) +
                   PeekMessageA(&queued, nullptr, WM_MOUSEMOVE, WM_MBUTTONUP,
                                PM_NOREMOVE);
        const int step = ms % 2 != 0 ? 7 : -7;
        for (int i = 0; i < perMs; i += 4) {
          platform::PressKey('A' + i % 26);
          platform::Click(VK_LBUTTON + i / 4 % 2);
          platform::MoveCursorBy(step, step);
          platform::PressKey(VK_MENU);
        }
      });
    }
    After(burstAt + spanMs + 100, [&] {
      yes = true;
      platform::PressKey(VK_SPACE);
    });
    EXPECT_EQ(Dispatch("/s"), 0) << password;
    EXPECT_EQ(backlog, 0) << password;
    EXPECT_LE(extraObjects, 0) << password;
    if (password) {
      EXPECT_EQ(checks, (std::vector<DWORD>{300, 500, 700, 900, 1100, 1400}));
    } else {
      EXPECT_EQ(GetTickCount(), burstAt);
      EXPECT_TRUE(checks.empty());
    }
  }
}

// Requests every 30 to 110 ms: each check is the first request at least
// 200 ms after the refusal before it.
TEST_F(SaverHost, AThousandRefusalsInARowLeaveTheSaverRunning) {
  platform::OpenHeadlessDisplay(160, 120, screenFill);
  live = platform::LiveObjectCount();
  UsePassword();
  std::vector<DWORD> checks;
  verifyAnswer = [&](HWND) {
    checks.push_back(GetTickCount());
    return checks.size() > 1000 ? TRUE : FALSE;
  };
  bool runningThroughout = true;
  std::function<void(int)> request = [&](int i) {
    runningThroughout =
        runningThroughout && SaverAlive() && platform::ScreenSaverRunning();
    if (i % 3 == 0) {
      platform::PressKey(VK_SPACE);
    } else if (i % 3 == 1) {
      platform::Click(VK_RBUTTON);
    } else {
      platform::MoveCursorBy(i % 2 != 0 ? 9 : -9, 0);
    }
    After(30 + i * 37 % 81, [&request, i] { request(i + 1); });
  };
  After(300, [&request] { request(0); });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_TRUE(runningThroughout);
  ASSERT_EQ(checks.size(), 1001u);
  for (std::size_t i = 1; i < checks.size(); ++i) {
    EXPECT_GE(checks[i] - checks[i - 1], 200u) << i;
    EXPECT_LT(checks[i] - checks[i - 1], 200u + 111u) << i;
  }
}

std::vector<UINT> bystanderInput; // reached a window of another program

LRESULT CALLBACK BystanderProc(HWND window, UINT message, WPARAM wParam,
                               LPARAM lParam) {
  if ((message >= 0x100 && message <= 0x109) || // keys and characters
      (message >= 0x200 && message <= 0x20E)) { // mouse messages
    bystanderInput.push_back(message);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// While the verifier refuses, no key, chord, button, travel or system
// command closes the saver, takes the foreground from it or reaches another
// program's window on the second monitor, under the pointer.
TEST_F(SaverHost, NothingClosesTheSaverWithoutTheVerifiersYes) {
  constexpr UINT vkDelete = 0x2E;
  constexpr UINT vkRightWindows = 0x5C;
  constexpr UINT vkApps = 0x5D;
  constexpr WPARAM scMinimize = 0xF020;
  constexpr WPARAM scMaximize = 0xF030;
  const auto chord = [](std::vector<UINT> keys) {
    return [keys] {
      for (UINT key : keys) {
        platform::KeyDown(key);
      }
      for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        platform::KeyUp(*key);
      }
    };
  };
  const auto command = [](WPARAM which) {
    return [which] {
      SendMessageA(saverWindow, WM_SYSCOMMAND, which, 0);
      PostMessageA(saverWindow, WM_SYSCOMMAND, which, 0);
    };
  };
  struct Sequence {
    const char *name;
    std::function<void()> act;
    std::size_t checks;
  };
  const Sequence sequences[] = {
      {"Alt+F4", chord({VK_MENU, VK_F4}), 1},
      {"Alt+Tab", chord({VK_MENU, VK_TAB}), 1},
      {"Alt+Esc", chord({VK_MENU, VK_ESCAPE}), 1},
      {"Ctrl+Esc", chord({VK_CONTROL, VK_ESCAPE}), 1},
      {"Ctrl+Alt+Del", chord({VK_CONTROL, VK_MENU, vkDelete}), 1},
      {"Esc", chord({VK_ESCAPE}), 1},
      {"Return", chord({VK_RETURN}), 1},
      {"Windows", chord({VK_LWIN}), 1},
      {"Windows+Tab", chord({vkRightWindows, VK_TAB}), 1},
      {"Apps", chord({vkApps}), 1},
      {"buttons",
       [] {
         for (UINT button : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON}) {
           platform::Click(button);
         }
       },
       1},
      {"travel", [] { platform::MoveCursorBy(200, 100); }, 1},
      {"close sent and posted",
       [] {
         SendMessageA(saverWindow, WM_CLOSE, 0, 0);
         PostMessageA(saverWindow, WM_CLOSE, 0, 0);
       },
       1},
      {"SC_CLOSE", command(SC_CLOSE), 1},
      {"SC_NEXTWINDOW", command(SC_NEXTWINDOW), 0},
      {"SC_PREVWINDOW", command(SC_PREVWINDOW), 0},
      {"SC_SCREENSAVE", command(SC_SCREENSAVE), 0},
      {"SC_TASKLIST", command(SC_TASKLIST), 0},
      {"SC_KEYMENU", command(SC_KEYMENU), 0},
      {"SC_MINIMIZE", command(scMinimize), 0},
      {"SC_MAXIMIZE", command(scMaximize), 0},
  };
  ASSERT_TRUE(platform::OpenHeadlessMonitors(twoMonitors, screenFill));
  UsePassword();
  platform::MoveCursorTo(-300, 0); // where that window will be
  // In the foreground until the saver starts, and for Alt+Esc to switch to.
  WNDCLASSA other{};
  other.lpfnWndProc = BystanderProc;
  other.lpszClassName = "Other";
  RegisterClassA(&other);
  HWND otherWindow =
      CreateWindowExA(0, "Other", "", WS_POPUP | WS_VISIBLE, -350, -50, 200,
                      150, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(otherWindow);
  bystanderInput.clear();
  bool yes = false;
  verifyAnswer = [&yes](HWND) { return yes ? TRUE : FALSE; };
  std::vector<std::size_t> checks;
  std::vector<bool> alive;
  DWORD at = 300;
  for (const Sequence &sequence : sequences) {
    After(at, [&, act = sequence.act] {
      const int before = verifyCalls;
      act();
      After(250, [&, before] {
        checks.push_back(static_cast<std::size_t>(verifyCalls - before));
        alive.push_back(SaverAlive() && platform::ScreenSaverRunning() &&
                        GetForegroundWindow() == saverWindow);
      });
    });
    at += 300;
  }
  After(at, [&yes] {
    yes = true;
    platform::PressKey(VK_SPACE);
  });
  EXPECT_EQ(Dispatch("/s"), 0);
  DestroyWindow(otherWindow);
  ASSERT_EQ(checks.size(), std::size(sequences));
  for (std::size_t i = 0; i < std::size(sequences); ++i) {
    EXPECT_TRUE(alive[i]) << sequences[i].name;
    EXPECT_EQ(checks[i], sequences[i].checks) << sequences[i].name;
  }
  EXPECT_EQ(GetTickCount(), at);
  EXPECT_TRUE(bystanderInput.empty()) << bystanderInput.size();
}

// The exit code is that switch's result, and the guard's handlers are gone.
TEST_F(SaverHost, TheGuardSwitchesTheRunningStateOffAfterAFault) {
  const std::pair<const char *, std::function<BOOL(HWND)>> faults[] = {
      {"segv",
       [](HWND) {
         std::raise(SIGSEGV);
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
