// The saver window and the preview in whole runs.
#include <algorithm>
#include <set>
#include <tuple>

#include "animation.h"
#include "host_fixture.h"
#include "host_state.h"
#include "palette_table.h"
#include "password.h"
#include "saver_procedure.h"
#include "saver_window.h"

namespace host_test {
namespace {

// Travel is measured from where the cursor was at the start: small moves
// add up.
TEST_F(SaverHost, CursorTravelClosesOnlyPastFourPixels) {
  struct Case {
    std::vector<POINT> moves;
    std::size_t closingMove; // moves.size() when none closes
  };
  const Case cases[] = {
      {{{2, 2}, {1, 0}}, 1},
      {{{-2, -2}, {0, -1}}, 1},
      {{{1, 0}, {1, 0}, {1, 0}, {1, 0}, {1, 0}}, 4},
      {{{4, 0}, {-4, 0}, {-4, 0}, {0, 1}}, 3},
      {{{0, 4}, {0, -1}, {0, -3}}, 3},
  };
  for (const Case &c : cases) {
    Fresh();
    platform::MoveCursorTo(100, 100);
    std::size_t aliveAfter = 0;
    for (std::size_t i = 0; i < c.moves.size(); ++i) {
      const POINT move = c.moves[i];
      After(static_cast<DWORD>(300 * (i + 1)),
            [move] { platform::MoveCursorBy(move.x, move.y); });
      After(static_cast<DWORD>(300 * (i + 1) + 150),
            [&aliveAfter] { aliveAfter += SaverAlive() ? 1 : 0; });
    }
    const auto end = static_cast<DWORD>(300 * (c.moves.size() + 1));
    After(end, [] { DestroyWindow(saverWindow); });
    EXPECT_EQ(Dispatch("/s"), 0);
    EXPECT_EQ(aliveAfter, c.closingMove)
        << "first move " << c.moves[0].x << "," << c.moves[0].y;
  }
}

// The title is what a second start looks for. The screen's picture stays
// under the animation (which draws over part of it: the X11 run).
TEST_F(SaverHost, TitleStaysAndTheBackgroundIsNeverErased) {
  char title[32] = {};
  LRESULT erased = 1;
  bool pictureKept = false;
  After(50, [&] {
    SetWindowTextA(saverWindow, "changed");
    GetWindowTextA(saverWindow, title, sizeof title);
    HDC dc = GetDC(saverWindow);
    erased = SendMessageA(saverWindow, WM_ERASEBKGND,
                          reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(saverWindow, dc);
    const uint32_t *pixels = platform::FramebufferPixels();
    pictureKept =
        std::all_of(pixels, pixels + screenWidthPx * screenHeightPx,
                    [](uint32_t pixel) { return pixel == screenFill; });
  });
  After(2000, [] { platform::PressKey(VK_SPACE); });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_STREQ(title, "Screen Saver");
  EXPECT_EQ(erased, 0);
  EXPECT_TRUE(pictureKept);
}

// A second full-screen start finds the first by class and title, brings it
// to the front and ends, without touching the password setting. With the
// class there but no such window the class cannot be registered: no loop
// runs, the password state is unloaded and the run reports failure.
TEST_F(SaverHost, OnlyOneFullScreenSaverRuns) {
  UsePassword();
  WNDCLASSA windowClass = {}; // as the other saver registered it
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "WindowsScreenSaverClass";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND running =
      CreateWindowExA(0, "WindowsScreenSaverClass", "Screen Saver", WS_POPUP, 0,
                      0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND other = MakeHostWindow(10, 10);
  SetForegroundWindow(other);
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_EQ(GetForegroundWindow(), running);
  EXPECT_EQ(saverWindow, nullptr);
  EXPECT_FALSE(platform::ScreenSaverRunning());
  EXPECT_EQ(verifyEntry, nullptr);
  DestroyWindow(running);
  DestroyWindow(other);

  EXPECT_EQ(Dispatch("/s"), -1);
  EXPECT_EQ(saverWindow, nullptr);
  EXPECT_FALSE(platform::ScreenSaverRunning());
  EXPECT_EQ(platform::ModuleLoadCount("PASSWORD.CPL"), 0);
  EXPECT_EQ(passwordLibrary, nullptr);
}

// The input method is only looked up, never loaded or freed.
TEST_F(SaverHost, TheInputMethodIsDetachedAndRestored) {
  AddInputMethod();
  After(300, [] { platform::PressKey(VK_SPACE); });
  HWND window = nullptr;
  After(100, [&window] { window = saverWindow; });
  EXPECT_EQ(Dispatch("/s"), 0);
  using Call = std::pair<HWND, HANDLE>;
  EXPECT_EQ(imeCalls, (std::vector<Call>{{window, nullptr},
                                         {window, savedInputContext}}));
  EXPECT_EQ(platform::ModuleLoadCount("IMM32.DLL"), 1);
}

// The preview lives inside its parent, sized to its client area; input
// never ends it, help requests go to the parent, and it never touches the
// password state. It ends when the parent goes.
TEST_F(SaverHost, PreviewRunsInsideItsParentUntilTheParentGoes) {
  for (const char *form : {"/p ", "/l", "-P  ", "l"}) {
    Fresh();
    UsePassword();
    HWND parent = MakeHostWindow(160, 120);
    RECT client = {};
    char title[16] = {};
    float width = 0;
    bool cursorShown = false;
    bool aliveAfterInput = false;
    LRESULT helpResult = 0;
    bool running = true;
    After(250, [&] {
      GetClientRect(saverWindow, &client);
      SetWindowTextA(saverWindow, "changed");
      GetWindowTextA(saverWindow, title, sizeof title);
      width = screenWidth;
      cursorShown = platform::CursorShown();
      running = platform::ScreenSaverRunning();
      platform::MoveCursorTo(60, 60);
      platform::PressKey(VK_SPACE);
      platform::Click(VK_LBUTTON);
      platform::MoveCursorBy(40, 40);
    });
    After(400, [&] {
      aliveAfterInput = SaverAlive();
      helpResult = SendMessageA(saverWindow, WM_CONTEXTMENU,
                                reinterpret_cast<WPARAM>(saverWindow), 77);
      helpResult += SendMessageA(saverWindow, WM_HELP, 0, 88);
    });
    After(1000, [parent] { DestroyWindow(parent); });
    EXPECT_EQ(Dispatch(form + Number(parent)), 0) << form;
    EXPECT_EQ(client.right, 160) << form;
    EXPECT_EQ(client.bottom, 120) << form;
    EXPECT_STREQ(title, "Preview") << form;
    EXPECT_EQ(width, 160.0f) << form;
    EXPECT_TRUE(cursorShown) << form;
    EXPECT_FALSE(running) << form;
    EXPECT_EQ(verifyCalls, 0) << form;
    EXPECT_TRUE(aliveAfterInput) << form;
    EXPECT_EQ(helpResult, 2) << form;
    const WPARAM parentNumber = reinterpret_cast<WPARAM>(parent);
    ASSERT_EQ(requests.size(), 2u) << form;
    for (const auto &[i, message, lParam] :
         {std::tuple{0, WM_CONTEXTMENU, 77}, std::tuple{1, WM_HELP, 88}}) {
      EXPECT_EQ(requests[i].message, static_cast<UINT>(message)) << form;
      EXPECT_EQ(requests[i].wParam, parentNumber) << form;
      EXPECT_EQ(requests[i].lParam, lParam) << form;
    }
  }
}

// The virtual screen, so no monitor stays usable while the password guards
// the others; a click on the second ends it.
TEST_F(SaverHost, TheWindowCoversEveryMonitor) {
  ASSERT_TRUE(platform::OpenHeadlessMonitors(twoMonitors, screenFill));
  // Pixels of `area` (screen coordinates) that no longer show the desktop.
  const auto drawn = [](const RECT &area) {
    int count = 0;
    for (LONG y = area.top; y < area.bottom; ++y) {
      for (LONG x = area.left; x < area.right; ++x) {
        count += platform::FramebufferPixel(x, y) != screenFill ? 1 : 0;
      }
    }
    return count;
  };
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
    drawnPrimary = drawn(twoMonitors[0]);
    drawnSecond = drawn(twoMonitors[1]);
    platform::MoveCursorTo(-390, -110);
  });
  After(300100, [] { platform::Click(VK_LBUTTON); });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_EQ(std::tuple(placed.left, placed.top, placed.right, placed.bottom),
            std::tuple(-400, -120, 640, 480));
  EXPECT_EQ(width, 1040.0f);
  EXPECT_EQ(height, 600.0f);
  EXPECT_GT(drawnPrimary, 0);
  EXPECT_GT(drawnSecond, 0);
  EXPECT_FALSE(SaverAlive());
}

// Even when the display changed depth meanwhile.
TEST_F(SaverHost, ThePaletteExistsOnlyAtEightBitsAndIsAlwaysReleased) {
  struct Case {
    int bitsAtStart;
    int bitsAtEnd;
  };
  for (const Case c :
       {Case{8, 8}, Case{8, 24}, Case{24, 8}, Case{16, 8}, Case{32, 32}}) {
    Fresh();
    platform::SetFramebufferBitsPerPixel(c.bitsAtStart);
    bool hasPalette = false;
    bool selected = false;
    After(250, [&, c] {
      hasPalette = saverPalette != nullptr;
      selected = previousPalette != nullptr;
      platform::SetFramebufferBitsPerPixel(c.bitsAtEnd);
      platform::PressKey(VK_SPACE);
    });
    EXPECT_EQ(Dispatch("/s"), 0);
    EXPECT_EQ(hasPalette, c.bitsAtStart == 8) << c.bitsAtStart;
    EXPECT_EQ(selected, c.bitsAtStart == 8) << c.bitsAtStart;
    EXPECT_EQ(saverPalette, nullptr);
    EXPECT_EQ(platform::LiveObjectCount(), live) << c.bitsAtStart;
  }
}

// paletteTable is stored blue, green, red.
TEST_F(SaverHost, EightBitDrawingUsesTheColourTable) {
  platform::OpenHeadlessDisplay(screenWidthPx, screenHeightPx, 0);
  platform::SetFramebufferBitsPerPixel(8);
  live = platform::LiveObjectCount();
  After(3000, [] { platform::PressKey(VK_SPACE); });
  EXPECT_EQ(Dispatch("/s"), 0);
  std::set<uint32_t> table;
  for (int i = 0; i < 256; ++i) {
    table.insert(static_cast<uint32_t>(paletteTable[3 * i + 2]) << 16 |
                 static_cast<uint32_t>(paletteTable[3 * i + 1]) << 8 |
                 paletteTable[3 * i]);
  }
  const uint32_t *pixels = platform::FramebufferPixels();
  const std::set<uint32_t> shown(pixels,
                                 pixels + screenWidthPx * screenHeightPx);
  EXPECT_GT(shown.size(), 1u);
  for (uint32_t colour : shown) {
    EXPECT_TRUE(table.count(colour) != 0) << std::hex << colour;
  }
}

} // namespace
} // namespace host_test
