// Whole saver runs on the headless display: a fresh layer and fresh host
// and engine variables per test, stand-ins for the system libraries the
// host loads, and a run that a test scripts on the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fresh_process.h"
#include "layer_headless.h"
#include "winapi.h"

namespace host_test {

constexpr int screenWidthPx = 640;
constexpr int screenHeightPx = 480;
constexpr uint32_t screenFill = 0x336699;
// Two monitors: the primary 640x480 at (0, 0) and a second, 400x300, left
// of it and reaching above it. The virtual screen: (-400, -120), 1040x600.
inline const std::vector<RECT> twoMonitors = {{0, 0, 640, 480},
                                              {-400, -120, 0, 180}};

// The stand-in PASSWORD.CPL: VerifyScreenSavePwd counts its calls and gives
// `verifyAnswer`'s verdict (accept when unset).
inline int verifyCalls = 0;
inline std::function<BOOL(HWND)> verifyAnswer;

// The stand-in MPR.DLL: PwdChangePasswordA's calls.
struct ChangeCall {
  std::string provider;
  HWND owner;
  DWORD reserved1;
  DWORD reserved2;
};
inline std::vector<ChangeCall> changeCalls;

// The stand-in IMM32.DLL: ImmAssociateContext's calls (window, context).
inline std::vector<std::pair<HWND, HANDLE>> imeCalls;
inline const HANDLE savedInputContext = reinterpret_cast<HANDLE>(0x5150);

void AddVerifier(bool withEntry = true);
void AddPasswordChanger(bool withEntry = true);
void AddInputMethod();
void SetPasswordSwitch(DWORD type, const std::vector<BYTE> &data);
// Password switch on and the verifier in place.
void UsePassword();

class SaverHost : public ::testing::Test {
public:
  struct Request {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  // What a host window got of WM_HELP and WM_CONTEXTMENU.
  static inline std::vector<Request> requests;

protected:
  void SetUp() override { Fresh(); }
  void TearDown() override;

  // A new process, as far as the layer and the host can tell; the last
  // run in this test must have released all it made.
  void Fresh();
  void ExpectAllReleased();
  // DispatchCommandLine as the entry calls it. A run still going after
  // `limit` ms fails the test and has its window destroyed.
  static int Dispatch(const std::string &tail, DWORD limit = 600000);
  // Runs `action` once the clock is `delay` ms on, while the saver waits.
  static void After(DWORD delay, std::function<void()> action) {
    platform::ScheduleAfter(delay, std::move(action));
  }
  static bool SaverAlive();
  // A top-level window of a plain class, for owners and preview parents;
  // its WM_HELP and WM_CONTEXTMENU land in `requests`. Tests destroy it.
  static HWND MakeHostWindow(int width, int height);
  static std::string Number(HWND window);

  std::size_t live = 0;
  bool started = false;
};

} // namespace host_test
