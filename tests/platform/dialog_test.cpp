// Dialogs from templates: the template reader on the shipped About box and
// on damaged copies, whole modal runs driven by scripted input, and the
// About box as it is drawn: text inside its statics and nowhere else, the
// icon, the default button's frame, and layout from the font's base units.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "control_paint.h"
#include "dialog_template.h"
#include "embedded_resources.h"
#include "window.h"
#include "windowing_fixture.h"

using platform::detail::DialogTemplate;
using platform::detail::ReadDialogTemplate;

namespace {

std::vector<BYTE> ShippedAboutBox() {
  const platform::ResourceTable table = gushmire::EmbeddedResources();
  for (std::size_t i = 0; i < table.count; ++i) {
    const platform::EmbeddedResource &e = table.entries[i];
    if (e.typeName == nullptr && e.typeId == 5 && e.name == nullptr &&
        e.nameId == 2003) {
      return std::vector<BYTE>(e.data, e.data + e.size);
    }
  }
  return {};
}

// A plain (not extended) template in a window class of its own, with a
// font and one push button, id 7, with creation data.
std::vector<BYTE> PlainTemplate() {
  std::vector<BYTE> t;
  const auto word = [&](unsigned v) {
    t.push_back(static_cast<BYTE>(v));
    t.push_back(static_cast<BYTE>(v >> 8));
  };
  const auto text = [&](const char *s) {
    for (; *s != '\0'; ++s) {
      word(static_cast<BYTE>(*s));
    }
    word(0);
  };
  word(DS_SETFONT), word(0x80C8); // style, low word first
  word(0), word(0);               // extended style
  word(1);                        // one control
  word(10), word(20), word(100), word(50);
  word(0); // no menu
  text("MyClass");
  text("Title");
  word(9);
  text("Font");
  // At a multiple of 4 already: WS_CHILD | WS_VISIBLE | WS_TABSTOP |
  // BS_DEFPUSHBUTTON, no extended style.
  word(1), word(0x5001);
  word(0), word(0);
  word(4), word(5), word(30), word(12);
  word(7);                  // 16-bit id
  word(0xFFFF), word(0x80); // a button
  text("Go");
  word(4), word(0xABCD); // creation data counting its own size
  return t;
}

} // namespace

TEST(DialogTemplateReader, ReadsTheShippedAboutBoxAndAPlainTemplate) {
  const std::vector<BYTE> about = ShippedAboutBox();
  const std::optional<DialogTemplate> t =
      ReadDialogTemplate(about.data(), about.size());
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->extended);
  EXPECT_EQ(t->style, 0x80C808C4u);
  EXPECT_EQ(t->exStyle, 0x200u);
  EXPECT_TRUE(t->menu.Empty() && t->windowClass.Empty());
  EXPECT_EQ(t->pointSize, 8);
  EXPECT_EQ(t->charset, 1);
  EXPECT_EQ(t->typeface, "MS Sans Serif");
  // The OK button, then statics: credits, icon, heading, icon.
  ASSERT_EQ(t->items.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(t->items[i].windowClass.ordinal, i == 0 ? 0x80 : 0x82);
    EXPECT_EQ(t->items[i].id, i == 0 ? 1u : 0xFFFFFFFFu);
    EXPECT_TRUE(t->items[i].creationData.empty());
  }
  EXPECT_EQ(t->items[0].text.name, "OK");
  EXPECT_EQ(t->items[4].text.ordinal, 100);
  EXPECT_EQ(t->items[3].text.name.substr(0, 22), "Gushmire Screen Saver\n");

  const std::vector<BYTE> plain = PlainTemplate();
  const std::optional<DialogTemplate> p =
      ReadDialogTemplate(plain.data(), plain.size());
  ASSERT_TRUE(p);
  EXPECT_FALSE(p->extended);
  EXPECT_EQ(p->style, 0x80C80040u);
  EXPECT_EQ(p->windowClass.name, "MyClass");
  EXPECT_EQ(p->typeface, "Font");
  ASSERT_EQ(p->items.size(), 1u);
  EXPECT_EQ(p->items[0].id, 7u);
  EXPECT_EQ(p->items[0].creationData, (std::vector<BYTE>{0xCD, 0xAB}));
}

TEST(DialogTemplateReader, RefusesEveryTruncationAndDamage) {
  for (const std::vector<BYTE> &good : {ShippedAboutBox(), PlainTemplate()}) {
    for (std::size_t size = 0; size < good.size(); ++size) {
      // Copied so that AddressSanitizer sees any read past the cut.
      const std::vector<BYTE> cut(good.begin(), good.begin() + size);
      ASSERT_FALSE(ReadDialogTemplate(cut.data(), cut.size())) << size;
    }
  }
  std::vector<BYTE> damaged = ShippedAboutBox();
  damaged[0] = 2; // unknown extended version
  EXPECT_FALSE(ReadDialogTemplate(damaged.data(), damaged.size()));
  damaged = ShippedAboutBox();
  damaged[16] = 6; // one control more than there is
  EXPECT_FALSE(ReadDialogTemplate(damaged.data(), damaged.size()));
  damaged[16] = 0xFF;
  damaged[17] = 0xFF;
  EXPECT_FALSE(ReadDialogTemplate(damaged.data(), damaged.size()));
  EXPECT_FALSE(ReadDialogTemplate(nullptr, 100));
}

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

// The configure box's procedure, recording what it saw: OK and cancel end
// the box with 100 + the command's id.
struct BoxRun {
  HWND box = nullptr;
  bool okHasFocus = false;
  std::vector<WPARAM> commands;
  bool gotFont = false;
  bool endAtInit = false;
};
BoxRun *run = nullptr;

INT_PTR CALLBACK AboutProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
  case WM_INITDIALOG:
    run->box = box;
    run->gotFont = SendMessageA(box, WM_GETFONT, 0, 0) != 0;
    if (run->endAtInit) {
      EndDialog(box, 5);
    }
    return 1;
  case WM_COMMAND:
    run->commands.push_back(wParam);
    if (wParam == IDOK || wParam == IDCANCEL) {
      EndDialog(box, static_cast<INT_PTR>(100 + wParam));
      return 1;
    }
    return 0;
  default:
    return 0;
  }
}

class Dialogs : public windowing_test::Windowing {
protected:
  void SetUp() override {
    Windowing::SetUp();
    platform::OpenHeadlessDisplay(640, 480, 0);
    // The fixed 6 x 13 base units, whatever fonts the machine has.
    platform::detail::SetDialogText(false);
    current = BoxRun{};
    run = &current;
  }
  void TearDown() override {
    platform::detail::SetDialogText(true);
    Windowing::TearDown();
  }
  // Runs the About box owned by `owner`, with `script` scheduled 50 ms in.
  INT_PTR About(HWND owner, std::function<void()> script) {
    platform::ScheduleAfter(50, [this, script] {
      current.okHasFocus =
          GetFocus() != nullptr && GetFocus() == GetDlgItem(current.box, IDOK);
      script();
    });
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2003),
                           owner, AboutProc, 0);
  }
  // Runs dialog `id` from `data`, the module's only resource.
  static INT_PTR RunTemplate(const std::vector<BYTE> &data, WORD id) {
    const platform::EmbeddedResource entry{nullptr,
                                           5,
                                           nullptr,
                                           id,
                                           0x409,
                                           data.data(),
                                           static_cast<DWORD>(data.size())};
    const platform::ResourceTable previous =
        platform::SetModuleResources({&entry, 1});
    const INT_PTR result = DialogBoxParamA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, AboutProc, 0);
    platform::SetModuleResources(previous);
    return result;
  }
  // Runs the About box and takes the display once it has been drawn.
  Shot Take() {
    Shot shot;
    About(nullptr, [&shot] {
      GetWindowRect(run->box, &shot.box);
      for (uintptr_t child : platform::detail::ChildrenOf(
               platform::detail::HandleValue(run->box))) {
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
    return shot;
  }
  static POINT CentreOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  BoxRun current;
};

} // namespace

TEST_F(Dialogs, EveryWayOfClosingEndsWithTheValueGivenToEndDialog) {
  HWND owner = Make("owner", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480);
  bool disabledDuring = false;
  struct Case {
    const char *name;
    std::function<void()> script;
    INT_PTR result;
  };
  // Return, Escape and commands are taken in the host's configure runs.
  const Case cases[] = {
      {"close box", [] { PostMessageA(run->box, WM_CLOSE, 0, 0); }, 102},
      {"OK clicked",
       [] {
         const POINT at = CentreOf(GetDlgItem(run->box, IDOK));
         platform::MoveCursorTo(at.x, at.y);
         platform::Click(VK_LBUTTON);
       },
       101},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    current = BoxRun{};
    EXPECT_EQ(About(owner,
                    [&] {
                      disabledDuring =
                          GetWindowLongA(owner, GWL_STYLE) & WS_DISABLED;
                      c.script();
                    }),
              c.result);
    EXPECT_TRUE(disabledDuring);
    EXPECT_EQ(GetWindowLongA(owner, GWL_STYLE) & WS_DISABLED, 0);
    EXPECT_FALSE(IsWindow(current.box));
    EXPECT_EQ(GetForegroundWindow(), owner);
    EXPECT_TRUE(current.gotFont);
    EXPECT_TRUE(current.okHasFocus);
    EXPECT_EQ(current.commands.size(), 1u);
  }
  DestroyWindow(owner);
}

TEST_F(Dialogs, OtherWindowsKeepTheirTimersAndQuitEndsTheBox) {
  HWND other = Make("other", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  int ticks = 0;
  windowing_test::handler = [&](HWND, UINT message, WPARAM,
                                LPARAM) -> std::optional<LRESULT> {
    if (message == WM_TIMER) {
      ++ticks;
    }
    return std::nullopt;
  };
  SetTimer(other, 1, 10, nullptr);
  EXPECT_EQ(About(nullptr, [] { PostQuitMessage(7); }), 0);
  EXPECT_GE(ticks, 4);
  EXPECT_FALSE(IsWindow(current.box));
  // The quit comes back for the program's own loop.
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
  KillTimer(other, 1);
  DestroyWindow(other);
}

TEST_F(Dialogs, RefusedWithoutATemplateOrAnOwnerAndDamagedTemplates) {
  HMODULE self = GetModuleHandleA(nullptr);
  EXPECT_EQ(
      DialogBoxParamA(self, MAKEINTRESOURCEA(2004), nullptr, AboutProc, 0), -1);
  EXPECT_EQ(DialogBoxParamA(self, MAKEINTRESOURCEA(2003),
                            reinterpret_cast<HWND>(0x40001234), AboutProc, 0),
            -1);
  EXPECT_FALSE(EndDialog(nullptr, 1));

  // A truncated copy and one whose control class is unknown.
  std::vector<BYTE> cut = ShippedAboutBox();
  cut.resize(cut.size() - 3);
  std::vector<BYTE> odd = ShippedAboutBox();
  for (std::size_t i = 0; i + 3 < odd.size(); ++i) {
    if (odd[i] == 0xFF && odd[i + 1] == 0xFF && odd[i + 2] == 0x82) {
      odd[i + 2] = 0x90; // the first static becomes an unknown ordinal
      break;
    }
  }
  EXPECT_EQ(RunTemplate(cut, 2003), -1);
  EXPECT_EQ(RunTemplate(odd, 2003), -1);
  EXPECT_EQ(current.box, nullptr) << "no dialog procedure ran";

  // Ended before it was ever shown: no loop runs, nothing is scheduled.
  current.endAtInit = true;
  EXPECT_EQ(
      DialogBoxParamA(self, MAKEINTRESOURCEA(2003), nullptr, AboutProc, 0), 5);
  EXPECT_FALSE(IsWindow(current.box));
}

TEST_F(Dialogs, TextIconAndButtonAreDrawnWhereTheTemplatePlacesThem) {
  platform::detail::SetDialogText(true);
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

TEST_F(Dialogs, BaseUnitsComeFromTheFontOrStayFixedWithoutOne) {
  platform::detail::SetDialogText(true);
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

TEST_F(Dialogs, OddTextAndMissingIconsDrawSafely) {
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
