// The saver's side of a screen lock, against a fake holder on the other end
// of the link: the layer runs on it, so this is a program of its own.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/backend.h"
#include "core/lock_link.h"
#include "layer_helpers.h"
#include "layer_lock.h"

namespace {

using namespace platform::detail::lock;
using layer_test::GridColour;
constexpr int kWidth = 64, kHeight = 48;

Message Of(Kind kind, int32_t a = 0, int32_t b = 0, std::string text = "") {
  Message m;
  m.kind = kind;
  m.a = a;
  m.b = b;
  m.textLength = static_cast<uint32_t>(text.size());
  std::memcpy(m.text, text.data(), text.size());
  return m;
}

class LockClient : public ::testing::Test {
protected:
  void SetUp() override {
    platform::ResetWindowing();
    ASSERT_TRUE(MakeLink(ends));
    ASSERT_TRUE(Send(holder(), Of(Kind::kScreen, kWidth, kHeight)));
    ASSERT_TRUE(platform::OpenLockLink(ends[1]));
    int memory = -1;
    const Message buffers = Expect(Kind::kBuffers, &memory);
    EXPECT_EQ(std::pair(buffers.a, buffers.b), std::pair(kWidth, kHeight));
    struct stat about {};
    ASSERT_EQ(fstat(memory, &about), 0);
    ASSERT_EQ(about.st_size, 2 * kWidth * kHeight * 4);
    void *mapped = mmap(nullptr, kBytes, PROT_READ, MAP_SHARED, memory, 0);
    close(memory);
    ASSERT_NE(mapped, MAP_FAILED);
    pictures = static_cast<const uint32_t *>(mapped);
  }
  void TearDown() override {
    platform::ResetWindowing();
    munmap(const_cast<uint32_t *>(pictures), kBytes);
    close(holder()); // the saver's end goes with the next link
  }
  int holder() const { return ends[0]; }
  // The next message of `kind` from the saver, skipping cursor changes.
  Message Expect(Kind kind, int *fd = nullptr) {
    Message m;
    for (;;) {
      pollfd wait{holder(), POLLIN, 0};
      if (poll(&wait, 1, 3000) != 1) {
        ADD_FAILURE() << "no message " << static_cast<int>(kind);
        return Message{};
      }
      int received = -1;
      const Got got = Receive(holder(), &m, &received);
      if (got == Got::kMessage && m.kind == kind) {
        fd != nullptr ? void(*fd = received) : void(close(received));
        return m;
      }
      close(received);
      if (got != Got::kMessage || m.kind != Kind::kCursor) {
        ADD_FAILURE() << "unexpected message " << static_cast<int>(m.kind);
      }
    }
  }
  uint32_t Pixel(int picture, int x, int y) const {
    return pictures[(picture * kHeight + y) * kWidth + x];
  }
  static constexpr std::size_t kBytes = 2 * kWidth * kHeight * 4;
  int ends[2] = {-1, -1};
  const uint32_t *pictures = nullptr;
};

void DrawGrid(int x, int y) {
  HDC screen = GetDC(nullptr);
  ASSERT_TRUE(layer_test::Draw(screen, layer_test::GridDib(4, 4), x, y, 4, 4));
  ReleaseDC(nullptr, screen);
  auto &backend = platform::detail::TheBackend();
  backend.Wait(backend.Now());
}

// A window over the whole output.
HWND Screen() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "Screen";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "Screen", "", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                         kHeight, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(LockClient, CommitsTheDrawingAndCarriesItToTheOtherPicture) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), kWidth);
  DrawGrid(2, 3);
  // The first picture is new to the compositor: all of it is damage.
  const Message first = Expect(Kind::kCommit);
  EXPECT_EQ(first.a, 0);
  ASSERT_EQ(first.boxCount, 1u);
  EXPECT_EQ(first.boxes[0].left, 0);
  EXPECT_EQ(first.boxes[0].bottom, kHeight);
  // Committed: the next drawing is in the other picture, which has it too.
  for (int picture : {0, 1}) {
    EXPECT_EQ(Pixel(picture, 5, 6), GridColour(3, 3)) << picture;
  }
  ASSERT_TRUE(Send(holder(), Of(Kind::kFrame)));
  ASSERT_TRUE(Send(holder(), Of(Kind::kReleased, 0)));
  DrawGrid(40, 30);
  const Message second = Expect(Kind::kCommit);
  EXPECT_EQ(second.a, 1);
  ASSERT_EQ(second.boxCount, 1u);
  EXPECT_EQ(second.boxes[0].right, 44);
  for (int picture : {0, 1}) {
    EXPECT_EQ(Pixel(picture, 41, 31), GridColour(1, 1)) << picture;
    EXPECT_EQ(Pixel(picture, 5, 6), GridColour(3, 3)) << picture;
  }
}

TEST_F(LockClient, KeysBringTheirTextAsCodePoints) {
  HWND window = Screen();
  SetFocus(window);
  // Overlong, truncated, surrogate and stray bytes type nothing.
  ASSERT_TRUE(Send(holder(), Of(Kind::kKey, 'A', 1,
                                "a\xC3\xA9\xF0\x9F\x98\x80\xC0\xAF\xE2\x82"
                                "x\xED\xA0\x80\xFF\x80")));
  ASSERT_TRUE(Send(holder(), Of(Kind::kKey, 'A', 0)));
  std::vector<std::pair<UINT, WPARAM>> got;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP ||
        msg.message == WM_CHAR) {
      got.emplace_back(msg.message, msg.wParam);
    }
    DispatchMessageA(&msg);
  }
  const std::vector<std::pair<UINT, WPARAM>> want = {
      {WM_KEYDOWN, 'A'},  {WM_CHAR, 'a'}, {WM_CHAR, 0xE9},
      {WM_CHAR, 0x1F600}, {WM_CHAR, 'x'}, {WM_KEYUP, 'A'}};
  EXPECT_EQ(got, want);
  DestroyWindow(window);
}

// The prompt asks the holder, which answers `verdict` a while later.
TEST_F(LockClient, ThePasswordGoesAsTypedAndTheVerdictWaitsForTheHolder) {
  HWND saver = Screen();
  using Verify = BOOL(WINAPI *)(HWND);
  const auto verify = reinterpret_cast<Verify>(reinterpret_cast<void (*)()>(
      GetProcAddress(LoadLibraryA("PASSWORD.CPL"), "VerifyScreenSavePwd")));
  ASSERT_NE(verify, nullptr);
  for (int verdict : {0, 1}) {
    const std::string typed = "p\xC3\xA4ss" + std::to_string(verdict);
    ASSERT_TRUE(Send(holder(), Of(Kind::kKey, 'P', 1, typed)));
    ASSERT_TRUE(Send(holder(), Of(Kind::kKey, VK_RETURN, 1)));
    // The verdict comes while the saver waits for a picture back, with
    // the release and the frame right after it: then nothing until asked.
    std::string checked;
    std::atomic<bool> done = false;
    std::thread holding([&] {
      Message m;
      int fd = -1;
      bool answer = false;
      for (pollfd w{holder(), POLLIN, 0}; !done;) {
        if (poll(&w, 1, 300) != 1) {
          if (std::exchange(answer, false)) { // no picture came: answer now
            Send(holder(), Of(Kind::kVerdict, verdict));
          }
          continue;
        }
        const Got got = Receive(holder(), &m, &fd);
        if (fd >= 0) {
          close(fd);
        }
        if (got == Got::kMessage && m.kind == Kind::kCommit) {
          if (std::exchange(answer, false)) {
            Send(holder(), Of(Kind::kVerdict, verdict));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
          }
          Send(holder(), Of(Kind::kReleased, 1 - m.a));
          Send(holder(), Of(Kind::kFrame));
        } else if (got == Got::kMessage && m.kind == Kind::kCheck) {
          checked.assign(m.text, m.textLength);
          answer = true;
        }
      }
    });
    // A timer bounds the wait should the verdict be missed.
    SetTimer(saver, 1, 3000, nullptr);
    const auto start = std::chrono::steady_clock::now();
    const BOOL accepted = verify(saver);
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::seconds(2));
    done = true;
    holding.join();
    EXPECT_EQ(checked, typed);
    EXPECT_EQ(accepted, verdict);
  }
  DestroyWindow(saver);
}

TEST(LockClientOpen, AHolderGoneBeforeItsScreenIsRefused) {
  int ends[2];
  ASSERT_TRUE(MakeLink(ends));
  close(ends[0]);
  EXPECT_FALSE(platform::OpenLockLink(ends[1]));
  close(ends[1]);
}

} // namespace
