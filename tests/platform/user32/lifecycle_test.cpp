// Windows beyond the message orders compared with Wine. Handles that are no
// windows are in gdi32/dc_test.
#include "windowing_fixture.h"

using namespace windowing_test;

namespace {

using Lifecycle = Windowing;
using Strings = std::vector<std::string>;

TEST_F(Lifecycle, RefusedCreationAndFocusAfterAChildGoes) {
  handler = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    return m == WM_CREATE ? std::optional<LRESULT>(-1) : std::nullopt;
  };
  EXPECT_EQ(Make("R", WS_POPUP, 0, 0, 20, 20), nullptr);
  handler = nullptr;
  EXPECT_EQ(Make("X", WS_CHILD, 0, 0, 4, 4), nullptr); // a child needs a parent
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 4, 4, nullptr,
                            nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(RegisterClassA(nullptr), 0);

  HWND p = Make("P", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
  HWND c = Make("C", WS_CHILD | WS_VISIBLE, 10, 10, 50, 40, p);
  EXPECT_FALSE(UnregisterClassA("log", nullptr)); // has windows
  SetFocus(c);
  EXPECT_TRUE(DestroyWindow(c));
  EXPECT_EQ(GetFocus(), p);
}

TEST_F(Lifecycle, TextAndLookups) {
  HWND p =
      Make("Screen Saver", 0x96000000u, 0, 0, 200, 100, nullptr, WS_EX_TOPMOST);
  HWND c = Make("Preview", 0x52000000u, 30, 20, 50, 40, p);
  char text[64];
  EXPECT_EQ(GetWindowTextA(p, text, 7), 6); // cut to the buffer
  EXPECT_STREQ(text, "Screen");
  EXPECT_EQ(FindWindowA("LOG", "Screen Saver"), p);  // class ignores case
  EXPECT_EQ(FindWindowA("Log", "Preview"), nullptr); // children are not found
  EXPECT_TRUE(ShowWindow(p, SW_HIDE));               // was visible
  EXPECT_FALSE(IsWindowVisible(c));                  // hidden with its parent
  DestroyWindow(p);
}

TEST_F(Lifecycle, EraseFillsWithClassBrushUnlessConsumed) {
  HWND p = Make("P", WS_POPUP | WS_VISIBLE, 10, 10, 30, 20);
  Pump();
  EXPECT_EQ(platform::FramebufferPixel(10, 10), 0xFFFFFFu);
  EXPECT_EQ(platform::FramebufferPixel(39, 29), 0xFFFFFFu);
  EXPECT_EQ(platform::FramebufferPixel(40, 30), 0x123456u);

  // A saver consumes the erase: the picture under it stays.
  handler = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    return m == WM_ERASEBKGND ? std::optional<LRESULT>(0) : std::nullopt;
  };
  HWND s = Make("S", WS_POPUP | WS_VISIBLE, 100, 50, 30, 20);
  journal.clear();
  EXPECT_EQ(platform::FramebufferPixel(100, 50), 0x123456u);
  UpdateWindow(s); // paints now, without the queue; erased when shown
  UpdateWindow(s); // valid now: nothing
  InvalidateRect(s, nullptr, FALSE);
  Pump(); // no erase asked for
  InvalidateRect(p, nullptr, TRUE);
  ShowWindow(p, SW_HIDE);
  Pump(); // hidden windows are not painted
  EXPECT_EQ(Only({"paint", "erase"}), (Strings{"S:paint", "S:paint"}));

  PAINTSTRUCT ps;
  InvalidateRect(s, nullptr, TRUE);
  handler = nullptr;
  ASSERT_NE(BeginPaint(s, &ps), nullptr);
  EXPECT_FALSE(ps.fErase); // the class brush did it
  EXPECT_EQ(ps.rcPaint.right, 30);
  EXPECT_TRUE(EndPaint(s, &ps));
  EXPECT_EQ(BeginPaint(s, nullptr), nullptr);
}

} // namespace
