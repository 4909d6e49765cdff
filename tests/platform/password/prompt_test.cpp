// VerifyScreenSavePwd's prompt in whole saver runs, on a stand-in check
// whose verdict the script decides.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "animation.h"
#include "core/backend.h"
#include "host_fixture.h"
#include "layer.h"
#include "user32/dialogs/control_paint.h"

namespace host_test {
namespace {

constexpr UINT kBack = 0x08; // VK_BACK
std::vector<std::string> checks;
const char *lastBuffer = nullptr;
int verdictNow = -1;
bool startWorks = true;

bool Start(std::span<const char> password) {
  checks.emplace_back(password.begin(), password.end());
  lastBuffer = password.data();
  verdictNow = -1;
  return startWorks;
}
int Verdict() { return verdictNow; }

void Decide(int verdict) {
  verdictNow = verdict;
  platform::detail::VerdictArrived();
}

void Type(const std::string &text) {
  for (char c : text) {
    platform::detail::QueueCharacter(static_cast<unsigned char>(c));
  }
}

// The pixels of `r` (screen coordinates), as the screen shows them.
std::vector<uint32_t> PixelsOf(const RECT &r) {
  std::vector<uint32_t> pixels;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      pixels.push_back(platform::FramebufferPixel(x, y));
    }
  }
  return pixels;
}
std::vector<uint32_t> PromptPixels() {
  RECT r{};
  GetWindowRect(GetFocus(), &r);
  return PixelsOf(r);
}
// How many pixels of `r` have the prompt's face colour.
long FaceCount(const RECT &r) {
  const std::vector<uint32_t> pixels = PixelsOf(r);
  return std::count(pixels.begin(), pixels.end(), 0xF0F0F0u); // button face
}

class Prompt : public SaverHost {
protected:
  void SetUp() override {
    SaverHost::SetUp();
    checks.clear();
    lastBuffer = nullptr;
    verdictNow = -1;
    startWorks = true;
    platform::ProvidePasswordCheck({Start, Verdict});
  }
};

// One run: a prompt left alone goes after 30 s; Escape checks nothing; a
// refusal is said on the next prompt until typing; the saver animates on
// while a check is pending, and an accepted password closes it.
TEST_F(Prompt, TimeoutEscapeRefusalThenAcceptance) {
  if (!platform::detail::DialogFont("MS Shell Dlg", 10)) {
    GTEST_SKIP() << "no dialog font: the prompt draws no text";
  }
  std::vector<uint32_t> fresh, refusedSaid, typedAgain;
  HWND prompt = nullptr;
  RECT area{};
  long faceBefore = -1, faceAfter = -1;
  bool timedOut = false;
  LONG lastStep = -1;
  int changes = 0;
  After(290, [&] {
    faceBefore = FaceCount(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN)});
  });
  After(300, [] { platform::PressKey(VK_SPACE); });
  After(400, [&] {
    prompt = GetFocus();
    fresh = PromptPixels();
    GetWindowRect(prompt, &area);
  });
  After(30350, [&] { timedOut = !IsWindow(prompt) && IsWindow(saverWindow); });
  After(30400, [] { platform::PressKey(VK_SPACE); });
  After(30500, [] {
    Type("abc");
    platform::PressKey(VK_ESCAPE);
  });
  After(31000, [] { platform::PressKey(VK_SPACE); });
  After(31100, [] {
    Type("wrong");
    platform::PressKey(VK_RETURN);
  });
  After(31600, [] { Decide(0); });
  // Gone, the prompt leaves the saver's picture, not its own.
  After(31700, [&] { faceAfter = FaceCount(area); });
  After(32000, [] { platform::PressKey(VK_SPACE); });
  After(32100, [&] {
    refusedSaid = PromptPixels();
    Type("x");
    platform::PressKey(kBack);
  });
  After(32200, [&] {
    typedAgain = PromptPixels();
    Type("right");
    platform::PressKey(VK_RETURN);
  });
  // The animation while the check is pending.
  for (DWORD t = 32300; t < 33300; t += 100) {
    After(t, [&] {
      const LONG step = stepCount * 100 + frameIndex;
      changes += step != lastStep ? 1 : 0;
      lastStep = step;
    });
  }
  After(33300, [] { Decide(1); });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_FALSE(SaverAlive());
  EXPECT_TRUE(timedOut);
  EXPECT_EQ(checks, (std::vector<std::string>{"wrong", "right"}));
  EXPECT_GE(changes, 8);
  ASSERT_FALSE(fresh.empty());
  EXPECT_NE(refusedSaid, fresh);
  EXPECT_EQ(typedAgain, fresh);
  EXPECT_LE(faceAfter, faceBefore) << "the prompt stayed on the screen";
}

// A check that cannot start is a refusal; WM_QUIT while one is pending ends
// the prompt, unaccepted, and reaches the saver's loop with its code.
TEST_F(Prompt, AFailedStartRefusesAndQuitLeavesAPendingCheck) {
  bool aliveAfterRefusal = false;
  After(300, [] { platform::PressKey(VK_SPACE); });
  After(400, [] {
    startWorks = false;
    Type("a");
    platform::PressKey(VK_RETURN);
  });
  After(700, [&] {
    aliveAfterRefusal = SaverAlive() && GetFocus() == saverWindow;
    startWorks = true;
    platform::PressKey(VK_SPACE);
  });
  After(800, [] {
    Type("b");
    platform::PressKey(VK_RETURN);
  });
  After(900, [] { PostQuitMessage(5); });
  EXPECT_EQ(Dispatch("/s"), 5);
  EXPECT_TRUE(aliveAfterRefusal);
  EXPECT_EQ(checks, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(lastBuffer[0], 0);
  Decide(1); // too late: nothing is waiting
}

// The key that brings the prompt is its first character, taken from the
// keymap's text, never from TranslateMessage's US reading of the key.
TEST_F(Prompt, TheKeyThatBringsItIsTyped) {
  After(300, [] {
    platform::PressKey('Q');
    Type("a"); // AZERTY's key at Q's place
  });
  After(400, [] {
    Type("h");
    platform::PressKey(VK_RETURN);
  });
  After(500, [] { Decide(1); });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_EQ(checks, (std::vector<std::string>{"ah"}));
}

// Random keys and characters (controls, surrogates, values past Unicode,
// far more than fit) never start a check; Return then hands on valid
// UTF-8 within the cap, and the prompt's buffer is wiped afterwards.
TEST_F(Prompt, RandomTypingStaysBoundedAndIsWiped) {
  std::mt19937 random(7);
  After(300, [] { platform::PressKey(VK_SPACE); });
  After(400, [&] {
    const uint32_t special[] = {0,      0x7F,     0x9F,       0xD800,
                                0xDFFF, 0x110000, 0xFFFFFFFF, 0x10FFFF};
    for (int i = 0; i < 100000; ++i) {
      const auto pick = random() % 8;
      if (pick == 0) {
        platform::PressKey(
            random() % 2 ? kBack : static_cast<UINT>(VK_SPACE + random() % 60));
      } else if (pick == 1) {
        platform::detail::QueueCharacter(special[random() % 8]);
      } else {
        platform::detail::QueueCharacter(
            static_cast<uint32_t>(random() % 0x20000));
      }
    }
    Type("zz");
  });
  std::size_t before = 99;
  After(500, [&] {
    before = checks.size();
    platform::PressKey(VK_RETURN);
  });
  After(600, [] { Decide(1); });
  EXPECT_EQ(Dispatch("/s"), 0);
  EXPECT_EQ(before, 0u);
  ASSERT_EQ(checks.size(), 1u);
  const std::string &given = checks[0];
  EXPECT_LE(given.size(), 1024u);
  std::size_t codePoints = 0;
  for (std::size_t i = 0; i < given.size();) {
    const auto lead = static_cast<unsigned char>(given[i]);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                                             : 4;
    ASSERT_GE(lead, 0x20) << i;
    ASSERT_TRUE(lead < 0x80 || (lead >= 0xC2 && lead <= 0xF4)) << i;
    ASSERT_LE(i + length, given.size());
    for (std::size_t k = 1; k < length; ++k) {
      ASSERT_EQ(static_cast<unsigned char>(given[i + k]) & 0xC0, 0x80) << i;
    }
    i += length;
    ++codePoints;
  }
  EXPECT_EQ(codePoints, 256u);
  // The prompt's buffer outlives it, static as it is.
  for (std::size_t i = 0; i < given.size(); ++i) {
    ASSERT_EQ(lastBuffer[i], 0) << i;
  }
}

} // namespace
} // namespace host_test
