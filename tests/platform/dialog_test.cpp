// Dialogs from templates: the template reader on the shipped About box and
// on damaged copies, and whole modal runs driven by scripted input.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "control_paint.h"
#include "dialog_template.h"
#include "embedded_resources.h"
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
