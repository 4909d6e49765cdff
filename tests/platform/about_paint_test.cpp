// The About box as it is drawn: text inside its statics and nowhere else,
// the icon from the module's resources, the default button's frame, and
// layout from the dialog font's base units.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "control_paint.h"
#include "window.h"
#include "windowing_fixture.h"

namespace {

constexpr uint32_t kFace = 0xF0F0F0;

bool Dark(uint32_t pixel) {
  return ((pixel >> 16) & 0xFF) < 0x80 && ((pixel >> 8) & 0xFF) < 0x80 &&
         (pixel & 0xFF) < 0x80;
}

struct Control {
  RECT rect{};
  LONG style = 0;
  bool button = false;
};

struct Shot {
  RECT box{};
  std::vector<Control> controls;
  std::vector<uint32_t> pixels; // the whole display
  uint32_t At(LONG x, LONG y) const {
    return pixels[static_cast<std::size_t>(y) * 640 +
                  static_cast<std::size_t>(x)];
  }
};

INT_PTR CALLBACK Ends(HWND box, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND) {
    EndDialog(box, static_cast<INT_PTR>(wParam));
    return 1;
  }
  return message == WM_INITDIALOG ? 1 : 0;
}

class AboutPaint : public windowing_test::Windowing {
protected:
  void SetUp() override {
    Windowing::SetUp();
    platform::OpenHeadlessDisplay(640, 480, 0);
  }
  void TearDown() override {
    platform::detail::SetDialogText(true);
    Windowing::TearDown();
  }
  // Runs the About box and takes the display once it has been drawn.
  static Shot Take() {
    static Shot shot;
    shot = Shot{};
    platform::ScheduleAfter(50, [] {
      HWND box = GetForegroundWindow();
      GetWindowRect(box, &shot.box);
      for (uintptr_t child :
           platform::detail::ChildrenOf(platform::detail::HandleValue(box))) {
        Control c;
        HWND control = platform::detail::ToHandle<HWND>(child);
        GetWindowRect(control, &c.rect);
        c.style = GetWindowLongA(control, GWL_STYLE);
        char name[16] = {};
        GetClassNameA(control, name, sizeof name);
        c.button = std::string(name) == "BUTTON";
        shot.controls.push_back(c);
      }
      const uint32_t *p = platform::DisplayPixels();
      shot.pixels.assign(p, p + 640 * 480);
      platform::PressKey(VK_ESCAPE);
    });
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2003), nullptr,
                    Ends, 0);
    return shot;
  }
};

} // namespace

TEST_F(AboutPaint, TextIconAndButtonAreDrawnWhereTheTemplatePlacesThem) {
  if (!platform::detail::DialogFont("MS Sans Serif", 8)) {
    GTEST_SKIP() << "no DejaVu Sans on this machine";
  }
  const Shot shot = Take();
  ASSERT_EQ(shot.controls.size(), 5u);
  int icons = 0, texts = 0, stray = 0;
  for (LONG y = shot.box.top; y < shot.box.bottom; ++y) {
    for (LONG x = shot.box.left; x < shot.box.right; ++x) {
      stray += shot.At(x, y) != kFace &&
               std::none_of(shot.controls.begin(), shot.controls.end(),
                            [&](const Control &c) {
                              return x >= c.rect.left && x < c.rect.right &&
                                     y >= c.rect.top && y < c.rect.bottom;
                            });
    }
  }
  EXPECT_EQ(stray, 0) << "the face is plain outside the controls";
  for (const Control &c : shot.controls) {
    const RECT &r = c.rect;
    // Dark ink clear of the control's edges, and how far in it starts on
    // the left and stops on the right.
    int dark = 0;
    LONG left = r.right, right = r.left;
    for (LONG y = r.top + 4; y < r.bottom - 4; ++y) {
      for (LONG x = r.left + 4; x < r.right - 4; ++x) {
        dark += Dark(shot.At(x, y));
        if (shot.At(x, y) != kFace) {
          left = std::min(left, x);
          right = std::max(right, x + 1);
        }
      }
    }
    if (c.button) {
      // "OK" inside the default button's extra border, black all round,
      // and inside that a raised edge lit from the top left.
      EXPECT_GT(dark, 10);
      for (LONG i = 0; i < std::max(r.right - r.left, r.bottom - r.top); ++i) {
        const LONG x = std::min(r.left + i, r.right - 1);
        const LONG y = std::min(r.top + i, r.bottom - 1);
        EXPECT_EQ(shot.At(x, r.top) | shot.At(x, r.bottom - 1), 0u) << x;
        EXPECT_EQ(shot.At(r.left, y) | shot.At(r.right - 1, y), 0u) << y;
      }
      EXPECT_EQ(shot.At(r.left + 2, r.top + 1), 0xFFFFFFu);
    } else if ((c.style & 0x1F) == SS_ICON) {
      // The pool along its top is solid; its bottom-left corner is clear.
      ++icons;
      EXPECT_EQ(r.right - r.left, 32);
      for (LONG x = r.left; x < r.right; ++x) {
        EXPECT_NE(shot.At(x, r.top), kFace);
      }
      EXPECT_EQ(shot.At(r.left, r.bottom - 1), kFace);
    } else {
      // Several lines of centred (SS_CENTER) text.
      ++texts;
      EXPECT_GT(dark, 60);
      EXPECT_LE(std::abs((left - r.left) - (r.right - right)), 2);
    }
  }
  EXPECT_EQ(icons, 2);
  EXPECT_EQ(texts, 2);
}

TEST_F(AboutPaint, BaseUnitsComeFromTheFontOrStayFixedWithoutOne) {
  const auto font = platform::detail::DialogFont("MS Shell Dlg", 8);
  // Faces other than the dialog ones, and absurd sizes, have no font.
  EXPECT_FALSE(platform::detail::DialogFont("Courier", 8));
  EXPECT_FALSE(platform::detail::DialogFont("Tahoma", 0));
  EXPECT_FALSE(platform::detail::DialogFont("tahoma", 5000));
  if (font) {
    EXPECT_GE(font->averageWidth, 5);
    EXPECT_LE(font->averageWidth, 8);
    EXPECT_GE(font->lineHeight, 11);
    EXPECT_LE(font->lineHeight, 15);
    const Shot shot = Take();
    EXPECT_EQ(shot.box.right - shot.box.left,
              (149 * font->averageWidth + 2) / 4);
    EXPECT_EQ(shot.box.bottom - shot.box.top, (118 * font->lineHeight + 4) / 8);
  }
  // Text off: the fixed 6 x 13 units and no ink at all. 149 x 118 units
  // are 224 x 192 pixels, centred on 640 x 480; OK at (55, 100) units,
  // 40 x 15, is at (83, 163), 60 x 24 pixels; the icons take their own
  // 32 x 32, the right-hand one at (120, 5) units, (180, 8) pixels.
  platform::detail::SetDialogText(false);
  const Shot plain = Take();
  const auto expectRect = [](const RECT &r, LONG x, LONG y, LONG w, LONG h) {
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.right - r.left, w);
    EXPECT_EQ(r.bottom - r.top, h);
  };
  expectRect(plain.box, 208, 144, 224, 192);
  int placed = 0;
  for (const Control &c : plain.controls) {
    if (c.button) {
      expectRect(c.rect, 208 + 83, 144 + 163, 60, 24);
      ++placed;
    } else if ((c.style & 0x1F) == SS_ICON) {
      if (c.rect.left > 208 + 100) {
        expectRect(c.rect, 208 + 180, 144 + 8, 32, 32);
        ++placed;
      }
    } else {
      for (LONG y = c.rect.top; y < c.rect.bottom; ++y) {
        for (LONG x = c.rect.left; x < c.rect.right; ++x) {
          ASSERT_EQ(plain.At(x, y), kFace);
        }
      }
    }
  }
  EXPECT_EQ(placed, 2);
}

TEST_F(AboutPaint, OddTextAndMissingIconsDrawSafely) {
  platform::detail::DialogFont("MS Sans Serif", 8);
  HWND w = Make("w", WS_POPUP | WS_VISIBLE, 10, 10, 40, 20);
  const std::string longWord(300, 'W');
  // A word wider than the box, empty and inverted boxes, a box off the
  // window: clipped, no crash.
  platform::detail::DrawTextInBox(w, longWord, RECT{0, 0, 40, 20}, SS_LEFT);
  platform::detail::DrawTextInBox(w, "", RECT{0, 0, 40, 20}, SS_CENTER);
  platform::detail::DrawTextInBox(w, "x\n\n\ny", RECT{30, 30, 0, 0}, SS_RIGHT);
  platform::detail::DrawTextInBox(w, "far", RECT{-500, -500, 9000, 9000},
                                  SS_CENTER, true);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      if (x < 10 || x >= 50 || y < 10 || y >= 30) {
        ASSERT_EQ(platform::DisplayPixel(x, y), 0u) << x << ", " << y;
      }
    }
  }
  EXPECT_FALSE(platform::detail::DrawIconResource(
      w, GetModuleHandleA(nullptr), MAKEINTRESOURCEA(4242), 0, 0));
  EXPECT_FALSE(platform::detail::DrawIconResource(w, nullptr, nullptr, 0, 0));
  EXPECT_TRUE(platform::detail::DrawIconResource(
      w, GetModuleHandleA(nullptr), MAKEINTRESOURCEA(100), -20, -20));
  DestroyWindow(w);
}
