// Stock objects, and the shared icons (user32) that are never owned either.
#include "leak_check.h"

namespace {

using Stock = layer_test::LeakCheck;

TEST_F(Stock, BrushesAndSharedIconsAreNeverLeaks) {
  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  ASSERT_NE(black, nullptr);
  EXPECT_EQ(GetStockObject(-1), nullptr);
  EXPECT_TRUE(DeleteObject(black)); // ignored, as for every stock object
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
  // The shipped icon group 100, shared: the same handle every time.
  HMODULE self = GetModuleHandleA(nullptr);
  HICON icon = LoadIconA(self, MAKEINTRESOURCEA(100));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconA(self, "#100"), icon);
  EXPECT_EQ(LoadIconA(self, "SPLASH1"), nullptr); // a bitmap, not an icon
}

} // namespace
