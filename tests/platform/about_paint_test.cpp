// The About box as it is drawn: text inside its statics and nowhere else,
// the icon from the module's resources, the default button's frame, and
// layout from the dialog font's base units.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
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
  int icons = 0, texts = 0;
  for (const Control &c : shot.controls) {
    const RECT &r = c.rect;
    int dark = 0;
    std::set<uint32_t> colours;
    for (LONG y = r.top; y < r.bottom; ++y) {
      for (LONG x = r.left; x < r.right; ++x) {
        dark += Dark(shot.At(x, y));
        colours.insert(shot.At(x, y));
      }
    }
    if (c.button) {
      SCOPED_TRACE("OK button");
      // The default button's extra border: black all round.
      for (LONG x = r.left; x < r.right; ++x) {
        EXPECT_EQ(shot.At(x, r.top), 0u);
        EXPECT_EQ(shot.At(x, r.bottom - 1), 0u);
      }
      for (LONG y = r.top; y < r.bottom; ++y) {
        EXPECT_EQ(shot.At(r.left, y), 0u);
        EXPECT_EQ(shot.At(r.right - 1, y), 0u);
      }
      // Inside it the raised edge is lit from the top left.
      EXPECT_EQ(shot.At(r.left + 2, r.top + 1), 0xFFFFFFu);
      // "OK" in the middle, clear of the frame.
      int middle = 0;
      for (LONG y = r.top + 4; y < r.bottom - 4; ++y) {
        for (LONG x = r.left + 4; x < r.right - 4; ++x) {
          middle += Dark(shot.At(x, y));
        }
      }
      EXPECT_GT(middle, 10);
    } else if ((c.style & 0x1F) == SS_ICON) {
      SCOPED_TRACE("icon");
      ++icons;
      EXPECT_EQ(r.right - r.left, 32);
      // Its top row is solid, its bottom-left corner shows the face, and
      // every pixel is the face or one of the icon's 16 colours.
      for (LONG x = r.left; x < r.right; ++x) {
        EXPECT_NE(shot.At(x, r.top), kFace);
      }
      EXPECT_EQ(shot.At(r.left, r.bottom - 1), kFace);
      for (uint32_t colour : colours) {
        const uint32_t channels[] = {colour >> 16, (colour >> 8) & 0xFF,
                                     colour & 0xFF};
        for (uint32_t v : channels) {
          EXPECT_TRUE(v == 0 || v == 128 || v == 192 || v == 255 ||
                      colour == kFace)
              << std::hex << colour;
        }
      }
      EXPECT_GE(colours.size(), 3u);
    } else {
      SCOPED_TRACE("text");
      ++texts;
      // Several lines of text: many dark pixels and anti-aliased greys.
      EXPECT_GT(dark, 60);
      EXPECT_GT(colours.size(), 4u);
      // Centred (SS_CENTER): the ink's margins on either side match.
      LONG left = r.right, right = r.left;
      for (LONG y = r.top; y < r.bottom; ++y) {
        for (LONG x = r.left; x < r.right; ++x) {
          if (shot.At(x, y) != kFace) {
            left = std::min(left, x);
            right = std::max(right, x + 1);
          }
        }
      }
      EXPECT_LE(std::abs((left - r.left) - (r.right - right)), 2);
    }
  }
  EXPECT_EQ(icons, 2);
  EXPECT_EQ(texts, 2);
  // Everywhere else in the box is the plain face colour.
  int stray = 0;
  for (LONG y = shot.box.top; y < shot.box.bottom; ++y) {
    for (LONG x = shot.box.left; x < shot.box.right; ++x) {
      const bool inControl = std::any_of(
          shot.controls.begin(), shot.controls.end(), [&](const Control &c) {
            return x >= c.rect.left && x < c.rect.right && y >= c.rect.top &&
                   y < c.rect.bottom;
          });
      stray += !inControl && shot.At(x, y) != kFace;
    }
  }
  EXPECT_EQ(stray, 0);
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
  // Text off: the fixed 6 x 13 units (224 x 192) and no ink at all.
  platform::detail::SetDialogText(false);
  const Shot plain = Take();
  EXPECT_EQ(plain.box.right - plain.box.left, 224);
  EXPECT_EQ(plain.box.bottom - plain.box.top, 192);
  for (const Control &c : plain.controls) {
    if (c.button || (c.style & 0x1F) == SS_ICON) {
      continue;
    }
    for (LONG y = c.rect.top; y < c.rect.bottom; ++y) {
      for (LONG x = c.rect.left; x < c.rect.right; ++x) {
        ASSERT_EQ(plain.At(x, y), kFace);
      }
    }
  }
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
