// The command line and each mode's exit code.
#include "entry.h"
#include "host_fixture.h"
#include "host_state.h"
#include "saver_window.h"
#include "startup.h"

namespace host_test {
namespace {

TEST(CommandLineTail, DropsTheProgramNameAndTheControlCodesAfterIt) {
  const std::pair<const char *, const char *> cases[] = {
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
  for (const auto &[line, tail] : cases) {
    EXPECT_STREQ(CommandLineTail(line), tail) << line;
  }
  EXPECT_STREQ(CommandLineTail(nullptr), "");
}

// Anything unknown ends at once with -1, showing nothing.
TEST_F(SaverHost, TheFirstLetterAfterDashesAndSlashesSelectsTheMode) {
  const std::pair<const char *, int> cases[] = {
      {"/s", 0},    {"-s", 0},    {"s", 0},        {"/S", 0},  {"- /s", 0},
      {"/-s", 0},   {"/sx", 0},   {"//-- s 1", 0}, {"/x", -1}, {"/123", -1},
      {"/\ts", -1}, {"\x80", -1}, {"/\x01s", -1},  {"?s", -1},
  };
  for (const auto &[tail, code] : cases) {
    Fresh();
    bool found = false;
    After(300, [&found] {
      found = FindWindowA("WindowsScreenSaverClass", "Screen Saver") != nullptr;
      platform::PressKey(VK_SPACE);
    });
    EXPECT_EQ(Dispatch(tail), code) << tail;
    EXPECT_EQ(found, code == 0) << tail;
    EXPECT_FALSE(SaverAlive()) << tail;
    EXPECT_EQ(FindWindowA(nullptr, nullptr), nullptr) << tail;
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

// Without the library or its entry /a still ends with 0.
TEST_F(SaverHost, PasswordChangeIsOfferedToTheGivenWindowOrTheForeground) {
  EXPECT_EQ(Dispatch("/a"), 0);
  AddPasswordChanger(false);
  EXPECT_EQ(Dispatch("/a"), 0);
  EXPECT_TRUE(changeCalls.empty());
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
    EXPECT_EQ(changeCalls[0].reserved1 | changeCalls[0].reserved2, 0u);
    EXPECT_EQ(platform::ModuleLoadCount("MPR.DLL"), 0) << tail;
  }
  DestroyWindow(owner);
  DestroyWindow(foreground);
}

// A WM_COMMAND that carries a notification code beside IDOK, or another id,
// is not a close.
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
