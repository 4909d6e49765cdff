// The full-screen saver on several monitors: its window covers the virtual
// screen, which starts left of and above the primary here, so no monitor
// stays usable while the password guards the others.
#include "animation.h"
#include "host_fixture.h"
#include "saver_window.h"

namespace host_test {
namespace {

// Primary 640x480 at (0, 0); the second, 400x300, left of it and reaching
// above it. The virtual screen: (-400, -120), 1040x600.
const std::vector<RECT> twoMonitors = {{0, 0, 640, 480}, {-400, -120, 0, 180}};
const RECT virtualScreen = {-400, -120, 640, 480};

// Input that reached a window of another program on the second monitor.
std::vector<UINT> bystanderInput;

LRESULT CALLBACK BystanderProc(HWND window, UINT message, WPARAM wParam,
                               LPARAM lParam) {
  // Keys and characters, 0x100 to 0x109; mouse messages, 0x200 to 0x20E.
  if ((message >= 0x100 && message <= 0x109) ||
      (message >= 0x200 && message <= 0x20E)) {
    bystanderInput.push_back(message);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeBystander() {
  bystanderInput.clear();
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = BystanderProc;
  windowClass.lpszClassName = "Bystander";
  RegisterClassA(&windowClass);
  HWND window =
      CreateWindowExA(0, "Bystander", "bystander", WS_POPUP | WS_VISIBLE, -350,
                      -50, 200, 150, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(window);
  return window;
}

// Pixels of `area` (screen coordinates) that no longer show the desktop.
int Drawn(const RECT &area) {
  int count = 0;
  for (LONG y = area.top; y < area.bottom; ++y) {
    for (LONG x = area.left; x < area.right; ++x) {
      count += platform::DisplayPixel(x, y) != screenFill ? 1 : 0;
    }
  }
  return count;
}

// The window and the engine take the virtual screen; the series draws on
// both monitors; a click on the second monitor ends the saver.
TEST_F(SaverHost, TheWindowCoversEveryMonitor) {
  ASSERT_TRUE(platform::OpenHeadlessMonitors(twoMonitors, screenFill));
  RECT placed = {};
  float width = 0;
  float height = 0;
  int drawnPrimary = 0;
  int drawnSecond = 0;
  After(100, [&] {
    GetWindowRect(saverWindow, &placed);
    width = screenWidth;
    height = screenHeight;
  });
  After(300000, [&] {
    drawnPrimary = Drawn(twoMonitors[0]);
    drawnSecond = Drawn(twoMonitors[1]);
    platform::MoveCursorTo(-390, -110);
  });
  After(300100, [] { platform::Click(VK_LBUTTON); });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_TRUE(placed.left == virtualScreen.left &&
              placed.top == virtualScreen.top &&
              placed.right == virtualScreen.right &&
              placed.bottom == virtualScreen.bottom)
      << placed.left << "," << placed.top << " " << placed.right << ","
      << placed.bottom;
  EXPECT_EQ(width, 1040.0f);
  EXPECT_EQ(height, 600.0f);
  EXPECT_GT(drawnPrimary, 0);
  EXPECT_GT(drawnSecond, 0);
  EXPECT_FALSE(SaverAlive());
}

// With the password in use and the verifier refusing, input on the second
// monitor asks for the password and never reaches a window of another
// program that sits there; the saver keeps the foreground.
TEST_F(SaverHost, NothingOnTheSecondMonitorGetsPastThePassword) {
  ASSERT_TRUE(platform::OpenHeadlessMonitors(twoMonitors, screenFill));
  UsePassword();
  platform::MoveCursorTo(-300, 0); // where the bystander will be
  HWND bystander = MakeBystander();
  bool yes = false;
  verifyAnswer = [&yes](HWND) { return yes ? TRUE : FALSE; };
  std::vector<int> checks;
  bool foreground = true;
  const auto checked = [&](DWORD at, auto act) {
    After(at, [&, act] {
      const int before = verifyCalls;
      act();
      After(250, [&, before] {
        checks.push_back(verifyCalls - before);
        foreground = foreground && GetForegroundWindow() == saverWindow;
      });
    });
  };
  checked(300, [] { platform::Click(VK_LBUTTON); });
  checked(600, [] { platform::Click(VK_RBUTTON); });
  checked(900, [] { platform::PressKey('A'); });
  checked(1200, [] { platform::PressKey(VK_ESCAPE); });
  After(1500, [&yes] {
    yes = true;
    platform::Click(VK_LBUTTON);
  });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_EQ(checks, (std::vector<int>{1, 1, 1, 1}));
  EXPECT_TRUE(foreground);
  EXPECT_TRUE(bystanderInput.empty()) << bystanderInput.size();
  EXPECT_FALSE(SaverAlive());
  DestroyWindow(bystander);
}

} // namespace
} // namespace host_test
