// Several monitors on the headless display, and windows at negative screen
// coordinates.
#include "windowing_fixture.h"

using namespace windowing_test;

namespace {

using Monitors = Windowing;

constexpr uint32_t kFill = 0x123456;
constexpr uint32_t kWhite = 0xFFFFFF; // the class brush, COLOR_WINDOW

struct Metrics {
  int cx, cy, x, y, cxVirtual, cyVirtual, count, horzRes, vertRes;
  bool operator==(const Metrics &) const = default;
};

Metrics Read() {
  HDC screen = GetDC(nullptr);
  const Metrics m{GetSystemMetrics(SM_CXSCREEN),
                  GetSystemMetrics(SM_CYSCREEN),
                  GetSystemMetrics(SM_XVIRTUALSCREEN),
                  GetSystemMetrics(SM_YVIRTUALSCREEN),
                  GetSystemMetrics(SM_CXVIRTUALSCREEN),
                  GetSystemMetrics(SM_CYVIRTUALSCREEN),
                  GetSystemMetrics(SM_CMONITORS),
                  GetDeviceCaps(screen, HORZRES),
                  GetDeviceCaps(screen, VERTRES)};
  ReleaseDC(nullptr, screen);
  return m;
}

// SM_CXSCREEN and HORZRES stay the primary's; the virtual screen is the box
// around all, gaps included.
TEST_F(Monitors, MetricsDescribeThePrimaryAndTheVirtualScreen) {
  EXPECT_EQ(Read(), (Metrics{200, 100, 0, 0, 200, 100, 1, 200, 100}));
  struct Case {
    const char *name;
    std::vector<RECT> layout;
    Metrics expected;
  };
  const Case cases[] = {
      {"left",
       {{0, 0, 200, 100}, {-300, 0, 0, 240}},
       {200, 100, -300, 0, 500, 240, 2, 200, 100}},
      {"above",
       {{0, 0, 200, 100}, {0, -150, 120, 0}},
       {200, 100, 0, -150, 200, 250, 2, 200, 100}},
      {"right, gap",
       {{0, 0, 200, 100}, {260, 10, 300, 50}},
       {200, 100, 0, 0, 300, 100, 2, 200, 100}},
      {"three",
       {{0, 0, 20, 10}, {-5, -7, 0, 0}, {20, 10, 25, 13}},
       {20, 10, -5, -7, 30, 20, 3, 20, 10}},
  };
  for (const Case &c : cases) {
    ASSERT_TRUE(platform::OpenHeadlessMonitors(c.layout, kFill)) << c.name;
    EXPECT_EQ(Read(), c.expected) << c.name;
    const POINT origin = platform::FramebufferOrigin();
    EXPECT_EQ(origin.x, c.expected.x) << c.name;
    EXPECT_EQ(origin.y, c.expected.y) << c.name;
    EXPECT_EQ(platform::FramebufferWidth(), c.expected.cxVirtual) << c.name;
  }
  // A single display again forgets the monitors.
  platform::OpenHeadlessDisplay(200, 100, kFill);
  EXPECT_EQ(Read(), (Metrics{200, 100, 0, 0, 200, 100, 1, 200, 100}));
}

TEST_F(Monitors, LayoutsThatCannotBeAreRefused) {
  constexpr LONG big = 16384;
  const std::vector<RECT> refused[] = {
      {},
      {{1, 0, 200, 100}},                    // primary off (0, 0)
      {{0, 0, 0, 100}},                      // empty primary
      {{0, 0, 200, 100}, {-10, 0, -10, 50}}, // empty second
      {{0, 0, 200, 100}, {-20, 0, -30, 50}}, // inside out
      {{0, 0, big, 100}, {-1, 0, 0, 100}},   // box too wide
      {{0, 0, 200, 100}, {0, -big - 1, 10, -big + 9}},
      {{0, 0, 200, 100}, {-(1L << 30), 0, 1L << 30, 10}},
  };
  for (const std::vector<RECT> &layout : refused) {
    EXPECT_FALSE(platform::OpenHeadlessMonitors(layout, 0))
        << layout.size() << " monitors";
    EXPECT_EQ(Read(), (Metrics{200, 100, 0, 0, 200, 100, 1, 200, 100}));
    EXPECT_EQ(platform::FramebufferPixel(0, 0), kFill);
  }
}

// Screen pixels are read at screen coordinates; the screen DC reaches the
// left monitor at negative coordinates.
TEST_F(Monitors, WindowsLeftOfThePrimaryDraw) {
  ASSERT_TRUE(platform::OpenHeadlessMonitors(
      {{0, 0, 200, 100}, {-120, -40, 0, 100}}, kFill));
  EXPECT_EQ(platform::FramebufferPixel(-121, 0), 0u); // off the virtual screen
  EXPECT_EQ(platform::FramebufferPixel(-120, -40), kFill);
  HWND left = Make("L", WS_POPUP | WS_VISIBLE, -120, -40, 60, 30);
  Pump();
  EXPECT_EQ(platform::FramebufferPixels()[0], kWhite);
  EXPECT_EQ(platform::FramebufferPixel(-61, -11), kWhite);
  EXPECT_EQ(platform::FramebufferPixel(-60, -40), kFill);
  EXPECT_EQ(platform::FramebufferPixel(-120, -10), kFill);

  HDC dc = GetDC(left);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 60, 0), CLR_INVALID);
  ReleaseDC(left, dc);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, -120, -40), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(screen, -1, 99), RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(GetPixel(screen, -121, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(screen, 200, 0), CLR_INVALID);
  ReleaseDC(nullptr, screen);

  // Cut at the virtual screen's edges, whichever side.
  HWND wide = Make("W", WS_POPUP | WS_VISIBLE, -200, 90, 500, 20);
  Pump();
  EXPECT_EQ(platform::FramebufferPixel(-120, 99), kWhite);
  EXPECT_EQ(platform::FramebufferPixel(199, 99), kWhite);
  EXPECT_EQ(platform::FramebufferPixel(199, 89), kFill);
  DestroyWindow(wide);
  DestroyWindow(left);
}

// The click comes in the window's own client coordinates.
TEST_F(Monitors, InputReachesWindowsAtNegativeCoordinates) {
  ASSERT_TRUE(platform::OpenHeadlessMonitors(
      {{0, 0, 200, 100}, {-120, -40, 0, 100}}, kFill));
  HWND left = Make("L", WS_POPUP | WS_VISIBLE, -120, -40, 60, 30);
  Make("P", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
  Pump();
  std::vector<LPARAM> clicks;
  handler = [&](HWND w, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_LBUTTONDOWN) {
      clicks.push_back(w == left ? l : -1);
    }
    return std::nullopt;
  };
  platform::MoveCursorTo(-100, -30);
  POINT at{};
  GetCursorPos(&at);
  EXPECT_EQ(at.x, -100);
  EXPECT_EQ(at.y, -30);
  platform::Click(VK_LBUTTON);
  Pump();
  platform::MoveCursorTo(-5000, -5000); // stops at the corner
  GetCursorPos(&at);
  EXPECT_EQ(at.x, -120);
  EXPECT_EQ(at.y, -40);
  platform::Click(VK_LBUTTON);
  Pump();
  platform::MoveCursorTo(5000, 5000);
  GetCursorPos(&at);
  EXPECT_EQ(at.x, 199);
  EXPECT_EQ(at.y, 99);
  EXPECT_EQ(clicks, (std::vector<LPARAM>{20 | 10 << 16, 0}));
}

} // namespace
