// Windows from creation to destruction: the messages and their order,
// DefWindowProcA's closing, text and painting, and what can be asked of a
// window.
#include <cstring>

#include "windowing_fixture.h"

using namespace windowing_test;

namespace {

using Lifecycle = Windowing;
using Strings = std::vector<std::string>;

TEST_F(Lifecycle, CreationShowAndActivationOrder) {
  HWND p = Make("P", 0x96000000u, 0, 0, 200, 100, nullptr, WS_EX_TOPMOST);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(journal,
            (Strings{"P:nccreate", "P:create", "P:size", "P:move", "P:show",
                     "P:poschanging", "P:activateapp", "P:ncactivate",
                     "P:activate", "P:setfocus", "P:poschanged"}));
  EXPECT_EQ(GetForegroundWindow(), p);
  EXPECT_EQ(GetFocus(), p);
  journal.clear();
  HWND c = Make("C", 0x52000000u, 0, 0, 50, 40, p);
  EXPECT_EQ(journal, (Strings{"C:nccreate", "C:create", "C:size", "C:move",
                              "P:parentnotify", "C:show", "C:poschanging",
                              "C:poschanged"}));
  EXPECT_EQ(GetParent(c), p);
  EXPECT_EQ(GetFocus(), p); // a child shown is not focused
  journal.clear();
  Pump(); // parent first, each erased before it paints
  EXPECT_EQ(journal, (Strings{"P:paint", "P:erase", "C:paint", "C:erase"}));
}

TEST_F(Lifecycle, DestroyingParentWithChildAndTimers) {
  HWND p = Make("P", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
  HWND c = Make("C", WS_CHILD | WS_VISIBLE, 10, 10, 50, 40, p);
  SetFocus(c);
  SetTimer(c, 1, 10, nullptr);
  journal.clear();
  EXPECT_TRUE(DestroyWindow(p));
  EXPECT_EQ(journal,
            (Strings{"P:poschanging", "P:poschanged", "P:ncactivate",
                     "P:activate", "P:activateapp", "C:killfocus", "P:destroy",
                     "C:destroy", "C:ncdestroy", "P:ncdestroy"}));
  EXPECT_FALSE(IsWindow(c));
  EXPECT_FALSE(DestroyWindow(c));
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);

  // A child alone: the parent hears of it first and takes the focus back.
  p = Make("Q", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
  c = Make("D", WS_CHILD | WS_VISIBLE, 10, 10, 50, 40, p);
  SetFocus(c);
  journal.clear();
  DestroyWindow(c);
  EXPECT_EQ(journal, (Strings{"Q:parentnotify", "D:show", "D:poschanging",
                              "D:poschanged", "D:killfocus", "Q:setfocus",
                              "D:destroy", "D:ncdestroy"}));
}

TEST_F(Lifecycle, ClosingThroughDefWindowProc) {
  HWND a = Make("A", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20);
  SendMessageA(a, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ(Only({"syscommand", "close", "destroy"}),
            (Strings{"A:syscommand", "A:close", "A:destroy"}));

  // Alt+F4 posts SC_CLOSE to the top-level window.
  HWND b = Make("B", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20);
  HWND child = Make("K", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, b);
  SendMessageA(child, WM_SYSKEYDOWN, VK_F4, 1 << 29);
  EXPECT_TRUE(IsWindow(b));
  SendMessageA(child, WM_SYSKEYDOWN, VK_F4, 0); // no Alt: nothing
  Pump();
  EXPECT_FALSE(IsWindow(b));

  // A window that keeps WM_CLOSE to itself stays.
  handler = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_CLOSE) {
      return 0;
    }
    return std::nullopt;
  };
  HWND d = Make("D", WS_POPUP, 0, 0, 20, 20);
  SendMessageA(d, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(d));
}

TEST_F(Lifecycle, TitlesClassesStylesAndRectangles) {
  HWND p =
      Make("Screen Saver", 0x96000000u, 0, 0, 200, 100, nullptr, WS_EX_TOPMOST);
  HWND c = Make("Preview", 0x52000000u, 30, 20, 50, 40, p);
  char text[64];
  EXPECT_EQ(GetWindowTextA(p, text, sizeof text), 12);
  EXPECT_STREQ(text, "Screen Saver");
  EXPECT_EQ(GetWindowTextA(p, text, 7), 6);
  EXPECT_STREQ(text, "Screen");
  EXPECT_EQ(GetClassNameA(c, text, sizeof text), 3);
  EXPECT_STREQ(text, "Log");
  EXPECT_EQ(FindWindowA("LOG", "Screen Saver"), p); // class ignores case
  EXPECT_EQ(FindWindowA("Log", "screen saver"), nullptr);
  EXPECT_EQ(FindWindowA("Log", "Preview"), nullptr); // children are not found
  EXPECT_EQ(FindWindowA(nullptr, "Screen Saver"), p);
  EXPECT_EQ(FindWindowA("NoSuchClass", nullptr), nullptr);
  EXPECT_TRUE(SetWindowTextA(p, "Other"));
  EXPECT_EQ(FindWindowA("Log", "Other"), p);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(p, GWL_STYLE)), 0x96000000u);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(p, GWL_EXSTYLE)),
            static_cast<DWORD>(WS_EX_TOPMOST));
  RECT r;
  ASSERT_TRUE(GetWindowRect(c, &r));
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.bottom, 60);
  ASSERT_TRUE(GetClientRect(c, &r));
  EXPECT_EQ(r.right, 50);
  EXPECT_TRUE(IsWindowVisible(c));
  EXPECT_TRUE(ShowWindow(p, SW_HIDE)); // was visible
  EXPECT_FALSE(IsWindowVisible(c));    // hidden with its parent
  EXPECT_FALSE(ShowWindow(p, SW_HIDE));

  // Bad handles get clear refusals.
  HWND stale = c;
  DestroyWindow(p);
  EXPECT_EQ(GetWindowTextA(stale, text, sizeof text), 0);
  EXPECT_FALSE(GetClientRect(stale, &r));
  EXPECT_FALSE(GetClientRect(reinterpret_cast<HWND>(0x1234), &r));
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(0x1234))); // no such X window
  EXPECT_FALSE(IsWindow(nullptr));
  EXPECT_EQ(GetParent(stale), nullptr);
  EXPECT_EQ(Make("X", WS_CHILD, 0, 0, 5, 5, stale), nullptr);
}

TEST_F(Lifecycle, EraseFillsWithClassBrushUnlessConsumed) {
  HWND p = Make("P", WS_POPUP | WS_VISIBLE, 10, 10, 30, 20);
  Pump();
  EXPECT_EQ(platform::DisplayPixel(10, 10), 0xFFFFFFu);
  EXPECT_EQ(platform::DisplayPixel(39, 29), 0xFFFFFFu);
  EXPECT_EQ(platform::DisplayPixel(40, 30), 0x123456u);

  // A saver consumes the erase: the picture under it stays.
  handler = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_ERASEBKGND) {
      return 0;
    }
    return std::nullopt;
  };
  HWND s = Make("S", WS_POPUP | WS_VISIBLE, 100, 50, 30, 20);
  journal.clear();
  UpdateWindow(s); // paints now, without the queue
  EXPECT_EQ(journal, (Strings{"S:paint", "S:erase"}));
  EXPECT_EQ(platform::DisplayPixel(100, 50), 0x123456u);
  journal.clear();
  UpdateWindow(s); // valid now: nothing
  InvalidateRect(s, nullptr, FALSE);
  Pump(); // no erase asked for
  InvalidateRect(p, nullptr, TRUE);
  ShowWindow(p, SW_HIDE);
  Pump(); // hidden windows are not painted
  EXPECT_EQ(Only({"paint", "erase"}), (Strings{"S:paint"}));

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
