// The command line: the tail the entry hands over, the switch it starts
// with, and each mode's exit code.
#include "entry.h"
#include "host_fixture.h"
#include "host_state.h"
#include "saver_window.h"
#include "startup.h"

namespace host_test {
namespace {

TEST(CommandLineTail, DropsTheProgramNameAndTheControlCodesAfterIt) {
  struct Case {
    const char *line;
    const char *tail;
  };
  const Case cases[] = {
      {"\"C:\\Program Files\\gushmire.scr\" /s", "/s"},
      {"\"C:\\a b.scr\"/p 12", "/p 12"},
      {"gushmire.scr /c:1234 ", "/c:1234 "},
      {"gushmire.scr\t\x01\x1f /s", "/s"},
      {"gush\x80mire.scr\t-s", "-s"},
      {"gushmire.scr", ""},
      {"\"unterminated /s", ""},
      {"\"\" /a", "/a"},
      {"  /s", "/s"},
      {"", ""},
  };
  for (const Case &c : cases) {
    EXPECT_STREQ(CommandLineTail(c.line), c.tail) << c.line;
  }
  EXPECT_STREQ(CommandLineTail(nullptr), "");
}

TEST(ParseDecimalHandle, ReadsLeadingDigitsModulo2To32) {
  EXPECT_EQ(ParseDecimalHandle("1234"), 1234u);
  EXPECT_EQ(ParseDecimalHandle("12ab"), 12u);
  EXPECT_EQ(ParseDecimalHandle("4294967295"), 4294967295u);
  EXPECT_EQ(ParseDecimalHandle("4294967297"), 1u);
  EXPECT_EQ(ParseDecimalHandle("42949672961234"), 1234u);
  for (const char *none : {"", ":1234", "-5", " 5", "0x10"}) {
    EXPECT_EQ(ParseDecimalHandle(none), 0u) << none;
  }
}

TEST_F(SaverHost, UnknownSwitchesEndAtOnceShowingNothing) {
  for (const char *tail : {"/x", "/123", "/\ts", "\x80", "/\x01s", "?s"}) {
    EXPECT_EQ(Dispatch(tail), -1) << tail;
    EXPECT_EQ(saverWindow, nullptr) << tail;
    EXPECT_EQ(FindWindowA(nullptr, nullptr), nullptr) << tail;
  }
}

TEST_F(SaverHost, EverySpellingOfTheFullScreenSwitchRunsTheSaver) {
  for (const char *tail :
       {"/s", "-s", "s", "/S", "/-s", "- /s", "/sx", "//-- s 1234"}) {
    Fresh();
    bool found = false;
    After(300, [&found] {
      found = FindWindowA("WindowsScreenSaverClass", "Screen Saver") != nullptr;
      platform::PressKey(VK_SPACE);
    });
    EXPECT_EQ(Dispatch(tail), 0) << tail;
    EXPECT_TRUE(found) << tail;
    EXPECT_FALSE(SaverAlive()) << tail;
  }
}

TEST_F(SaverHost, PreviewWithoutAUsableWindowNumberEndsWithMinusOne) {
  HWND parent = MakeHostWindow(160, 120);
  ASSERT_NE(parent, nullptr);
  const std::string tails[] = {"/p",
                               "/p 0",
                               "/p:" + Number(parent),
                               "/l:" + Number(parent),
                               "/p 1234",
                               "/p -" + Number(parent)};
  for (const std::string &tail : tails) {
    EXPECT_EQ(Dispatch(tail), -1) << tail;
    EXPECT_EQ(saverWindow, nullptr) << tail;
    EXPECT_EQ(previewFlag, 0) << tail;
  }
  DestroyWindow(parent);
}

TEST_F(SaverHost, PasswordChangeIsOfferedToTheGivenWindowOrTheForeground) {
  AddPasswordChanger();
  HWND owner = MakeHostWindow(50, 50);
  HWND foreground = MakeHostWindow(50, 50);
  SetForegroundWindow(foreground);
  const std::string number = Number(owner);
  const std::pair<std::string, HWND> cases[] = {
      {"/a", foreground},      {"-A " + number, owner},
      {"/a" + number, owner},  {"/a:" + number, foreground},
      {"/a 1234", foreground}, {"/a\t" + number, foreground},
  };
  for (const auto &[tail, expected] : cases) {
    changeCalls.clear();
    EXPECT_EQ(Dispatch(tail), 0) << tail;
    ASSERT_EQ(changeCalls.size(), 1u) << tail;
    EXPECT_EQ(changeCalls[0].provider, "SCRSAVE");
    EXPECT_EQ(changeCalls[0].owner, expected) << tail;
    EXPECT_EQ(changeCalls[0].reserved1, 0u);
    EXPECT_EQ(changeCalls[0].reserved2, 0u);
    EXPECT_EQ(platform::ModuleLoadCount("MPR.DLL"), 0) << tail;
  }
  DestroyWindow(owner);
  DestroyWindow(foreground);
}

TEST_F(SaverHost, PasswordChangeEndsWithZeroWithoutTheLibraryOrItsEntry) {
  EXPECT_EQ(Dispatch("/a"), 0);
  AddPasswordChanger(false);
  EXPECT_EQ(Dispatch("/a"), 0);
  EXPECT_EQ(platform::ModuleLoadCount("MPR.DLL"), 0);
  EXPECT_TRUE(changeCalls.empty());
}

// The box ends with 1 however it is closed; a WM_COMMAND that carries a
// notification code beside IDOK, or another id, is not a close.
TEST_F(SaverHost, TheConfigureBoxEndsWithOneWhicheverWayItIsClosed) {
  bool openAfterOtherCommands = false;
  const std::pair<const char *, std::function<void(HWND)>> cases[] = {
      {"", [](HWND) { platform::PressKey(VK_RETURN); }},
      {"/c:1234", [](HWND) { platform::PressKey(VK_ESCAPE); }},
      {"-C",
       [&openAfterOtherCommands](HWND box) {
         SendMessageA(box, WM_COMMAND, 0x10001, 0);
         SendMessageA(box, WM_COMMAND, 3, 0);
         openAfterOtherCommands = IsWindow(box) != 0;
         SendMessageA(box, WM_COMMAND, IDCANCEL, 0);
       }},
  };
  for (const auto &[tail, close] : cases) {
    Fresh();
    bool shown = false;
    After(200, [&shown, closer = close] {
      HWND box = FindWindowA(nullptr, "Gushmire");
      shown = box != nullptr;
      closer(box);
    });
    // Should the box ignore its close, the run must still end.
    After(5000, [] {
      if (HWND box = FindWindowA(nullptr, "Gushmire")) {
        ADD_FAILURE() << "the box stayed";
        EndDialog(box, 99);
      }
    });
    EXPECT_EQ(Dispatch(tail), 1) << tail;
    EXPECT_TRUE(shown) << tail;
  }
  EXPECT_TRUE(openAfterOtherCommands);
}

} // namespace
} // namespace host_test
