// Dialogs from templates: the template reader on the shipped About box and
// on damaged copies (any bytes are fuzzed in tests/fuzz), whole modal runs
// driven by scripted input, and the About box as it is drawn: text inside
// its statics and nowhere else, the icons and the default button's frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "embedded_resources.h"
#include "user32/dialogs/control_paint.h"
#include "user32/dialogs/dialog_template.h"
#include "user32/window.h"
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

} // namespace

TEST(DialogTemplateReader, ReadsTheShippedAboutBoxAndRefusesDamage) {
  const std::vector<BYTE> about = ShippedAboutBox();
  const std::optional<DialogTemplate> t =
      ReadDialogTemplate(about.data(), about.size());
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->extended);
  EXPECT_EQ(t->typeface, "MS Sans Serif");
  // The OK button, then statics: credits, icon, heading, icon.
  ASSERT_EQ(t->items.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(t->items[i].windowClass.ordinal, i == 0 ? 0x80 : 0x82);
    EXPECT_EQ(t->items[i].id, i == 0 ? 1u : 0xFFFFFFFFu);
  }
  EXPECT_EQ(t->items[4].text.ordinal, 100);

  for (std::size_t size = 0; size < about.size(); ++size) {
    // Copied so that AddressSanitizer sees any read past the cut.
    const std::vector<BYTE> cut(about.begin(), about.begin() + size);
    ASSERT_FALSE(ReadDialogTemplate(cut.data(), cut.size())) << size;
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

// The About box's procedure, recording what it saw: OK and cancel end the
// box with 100 + the command's id.
struct BoxRun {
  HWND box = nullptr;
  bool okHasFocus = false;
  bool gotFont = false;
  bool endAtInit = false;
};
BoxRun current;

INT_PTR CALLBACK AboutProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    current.box = box;
    current.gotFont = SendMessageA(box, WM_GETFONT, 0, 0) != 0;
    if (current.endAtInit) {
      EndDialog(box, 5);
    }
    return 1;
  }
  if (message == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL)) {
    EndDialog(box, static_cast<INT_PTR>(100 + wParam));
    return 1;
  }
  return 0;
}

// Runs the About box owned by `owner`, with `script` scheduled 50 ms in.
INT_PTR About(HWND owner, const std::function<void()> &script) {
  platform::ScheduleAfter(50, [script] {
    current.okHasFocus =
        GetFocus() != nullptr && GetFocus() == GetDlgItem(current.box, IDOK);
    script();
  });
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2003),
                         owner, AboutProc, 0);
}

class Dialogs : public windowing_test::Windowing {
protected:
  void SetUp() override {
    Windowing::SetUp();
    platform::OpenHeadlessDisplay(640, 480, 0);
    // The fixed 6 x 13 base units, whatever fonts the machine has.
    platform::detail::SetDialogText(false);
    current = BoxRun{};
  }
  void TearDown() override {
    platform::detail::SetDialogText(true);
    Windowing::TearDown();
  }
};

} // namespace

// The owner is disabled while the box runs but keeps its timer; a quit
// ends the box and comes back for the program's own loop.
TEST_F(Dialogs, ClosingEndsWithTheValueGivenToEndDialog) {
  HWND owner = Make("owner", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480);
  int ticks = 0;
  windowing_test::handler = [&](HWND, UINT message, WPARAM,
                                LPARAM) -> std::optional<LRESULT> {
    ticks += message == WM_TIMER;
    return std::nullopt;
  };
  SetTimer(owner, 1, 10, nullptr);
  // Return, Escape and commands are taken in the host's configure runs.
  const std::pair<std::function<void()>, INT_PTR> cases[] = {
      {[] { PostMessageA(current.box, WM_CLOSE, 0, 0); }, 102},
      {[] {
         RECT r{};
         GetWindowRect(GetDlgItem(current.box, IDOK), &r);
         platform::MoveCursorTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
         platform::Click(VK_LBUTTON);
       },
       101},
      {[] { PostQuitMessage(7); }, 0},
  };
  for (const auto &[script, result] : cases) {
    SCOPED_TRACE(result);
    current = BoxRun{};
    ticks = 0;
    bool disabledDuring = false;
    EXPECT_EQ(About(owner,
                    [&] {
                      disabledDuring =
                          GetWindowLongA(owner, GWL_STYLE) & WS_DISABLED;
                      script();
                    }),
              result);
    EXPECT_TRUE(disabledDuring);
    EXPECT_GE(ticks, 4);
    EXPECT_EQ(GetWindowLongA(owner, GWL_STYLE) & WS_DISABLED, 0);
    EXPECT_FALSE(IsWindow(current.box));
    EXPECT_EQ(GetForegroundWindow(), owner);
    EXPECT_TRUE(current.gotFont);
    EXPECT_TRUE(current.okHasFocus);
  }
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
  DestroyWindow(owner);
}

TEST_F(Dialogs, RefusedWithoutATemplateOrAnOwnerAndDamagedTemplates) {
  HMODULE self = GetModuleHandleA(nullptr);
  EXPECT_EQ(
      DialogBoxParamA(self, MAKEINTRESOURCEA(2004), nullptr, AboutProc, 0), -1);
  EXPECT_EQ(DialogBoxParamA(self, MAKEINTRESOURCEA(2003),
                            reinterpret_cast<HWND>(0x40001234), AboutProc, 0),
            -1);
  EXPECT_FALSE(EndDialog(nullptr, 1));

  // A truncated copy and one whose first static's class is unknown, each
  // the module's only resource.
  std::vector<BYTE> cut = ShippedAboutBox();
  cut.resize(cut.size() - 3);
  std::vector<BYTE> odd = ShippedAboutBox();
  for (std::size_t i = 0; i + 3 < odd.size(); ++i) {
    if (odd[i] == 0xFF && odd[i + 1] == 0xFF && odd[i + 2] == 0x82) {
      odd[i + 2] = 0x90;
      break;
    }
  }
  for (const std::vector<BYTE> *data : {&cut, &odd}) {
    const platform::EmbeddedResource entry{nullptr,
                                           5,
                                           nullptr,
                                           2003,
                                           0x409,
                                           data->data(),
                                           static_cast<DWORD>(data->size())};
    const platform::ResourceTable previous =
        platform::SetModuleResources({&entry, 1});
    EXPECT_EQ(
        DialogBoxParamA(self, MAKEINTRESOURCEA(2003), nullptr, AboutProc, 0),
        -1);
    platform::SetModuleResources(previous);
  }
  EXPECT_EQ(current.box, nullptr) << "no dialog procedure ran";

  // Ended before it was ever shown: no loop runs, nothing is scheduled.
  current.endAtInit = true;
  EXPECT_EQ(
      DialogBoxParamA(self, MAKEINTRESOURCEA(2003), nullptr, AboutProc, 0), 5);
  EXPECT_FALSE(IsWindow(current.box));
}

TEST_F(Dialogs, TextIconsAndButtonAreDrawnWhereTheTemplatePlacesThem) {
  platform::detail::SetDialogText(true);
  if (!platform::detail::DialogFont("MS Sans Serif", 8)) {
    GTEST_SKIP() << "no DejaVu Sans on this machine";
  }
  std::vector<RECT> controls, texts, icons;
  RECT ok{}, box{};
  std::vector<uint32_t> shot; // the display once the box is drawn
  About(nullptr, [&] {
    GetWindowRect(current.box, &box);
    for (uintptr_t child : platform::detail::ChildrenOf(
             platform::detail::HandleValue(current.box))) {
      HWND control = platform::detail::ToHandle<HWND>(child);
      RECT r{};
      GetWindowRect(control, &r);
      controls.push_back(r);
      char name[16] = {};
      GetClassNameA(control, name, sizeof name);
      if (std::string(name) == "BUTTON") {
        ok = r;
      } else {
        ((GetWindowLongA(control, GWL_STYLE) & 0x1F) == SS_ICON ? icons : texts)
            .push_back(r);
      }
    }
    shot.assign(platform::FramebufferPixels(),
                platform::FramebufferPixels() + 640 * 480);
    platform::PressKey(VK_ESCAPE);
  });
  const auto at = [&](LONG x, LONG y) {
    return shot[static_cast<std::size_t>(y * 640 + x)];
  };
  // Dark ink, inside a control clear of its edges.
  const auto dark = [&](const RECT &r) {
    int n = 0;
    for (LONG y = r.top + 4; y < r.bottom - 4; ++y) {
      for (LONG x = r.left + 4; x < r.right - 4; ++x) {
        n += (at(x, y) & 0x808080) == 0;
      }
    }
    return n;
  };
  ASSERT_EQ(controls.size(), 5u);
  int stray = 0;
  for (LONG y = box.top; y < box.bottom; ++y) {
    for (LONG x = box.left; x < box.right; ++x) {
      stray +=
          at(x, y) != kFace &&
          std::none_of(controls.begin(), controls.end(), [&](RECT r) {
            return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
          });
    }
  }
  EXPECT_EQ(stray, 0) << "the face is plain outside the controls";
  EXPECT_GT(dark(ok), 10); // "OK" inside the default button's black border
  for (LONG x = ok.left; x < ok.right; ++x) {
    EXPECT_EQ(at(x, ok.top) | at(x, ok.bottom - 1), 0u) << x;
  }
  for (LONG y = ok.top; y < ok.bottom; ++y) {
    EXPECT_EQ(at(ok.left, y) | at(ok.right - 1, y), 0u) << y;
  }
  ASSERT_EQ(texts.size(), 2u);
  for (const RECT &r : texts) {
    EXPECT_GT(dark(r), 60) << "several lines of text";
  }
  ASSERT_EQ(icons.size(), 2u);
  for (const RECT &r : icons) {
    // The pool along its top is solid; its bottom-left corner is clear.
    EXPECT_EQ(r.right - r.left, 32);
    EXPECT_NE(at(r.left + 16, r.top), kFace);
    EXPECT_EQ(at(r.left, r.bottom - 1), kFace);
  }
}

TEST_F(Dialogs, OddTextAndMissingIconsDrawSafely) {
  // Faces other than the dialog ones, and absurd sizes, have no font.
  EXPECT_FALSE(platform::detail::DialogFont("Courier", 8));
  EXPECT_FALSE(platform::detail::DialogFont("Tahoma", 0));
  EXPECT_FALSE(platform::detail::DialogFont("tahoma", 5000));
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
        ASSERT_EQ(platform::FramebufferPixel(x, y), 0u) << x << ", " << y;
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
