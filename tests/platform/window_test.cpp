// Windows: creation and destruction messages, and refused creation.
#include <gtest/gtest.h>

#include <string>

#include "layer_helpers.h"

namespace {

std::string journal;
LRESULT createResult = 0;

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM w, LPARAM l) {
  RECT client{};
  GetClientRect(window, &client);
  if (message == WM_CREATE) {
    journal += "create:" + std::to_string(client.right) + ";";
    return createResult;
  }
  if (message == WM_DESTROY) {
    journal += "destroy:" + std::to_string(client.right) + ";";
  }
  return DefWindowProcA(window, message, w, l);
}

class Windows : public ::testing::Test {
protected:
  void SetUp() override {
    live = platform::LiveObjectCount();
    journal.clear();
    platform::OpenHeadlessDisplay(40, 30, 0);
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = Recorder;
    wc.lpszClassName = "Recorder";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  void TearDown() override {
    EXPECT_TRUE(UnregisterClassA("recorder", nullptr));
    EXPECT_EQ(platform::LiveObjectCount(), live);
  }
  static HWND Create(DWORD style, int x, int y, int w, int h, HWND parent) {
    return CreateWindowExA(0, "RECORDER", "t", style, x, y, w, h, parent,
                           nullptr, nullptr, nullptr);
  }
  std::size_t live = 0;
};

} // namespace

TEST_F(Windows, CreationDestructionAndRefusal) {
  HWND window = Create(WS_POPUP, 0, 0, 40, 30, nullptr);
  HWND child = Create(WS_CHILD, 5, 5, 10, 8, window);
  ASSERT_NE(child, nullptr);
  EXPECT_FALSE(UnregisterClassA("Recorder", nullptr)); // has windows
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(journal, "create:40;create:10;destroy:40;destroy:10;");
  EXPECT_FALSE(DestroyWindow(child)); // went with its parent
  EXPECT_EQ(GetDC(window), nullptr);

  createResult = -1;
  EXPECT_EQ(Create(WS_POPUP, 0, 0, 40, 30, nullptr), nullptr);
  createResult = 0;
  EXPECT_EQ(Create(WS_CHILD, 0, 0, 4, 4, nullptr), nullptr);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 4, 4, nullptr,
                            nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(RegisterClassA(nullptr), 0);
}
