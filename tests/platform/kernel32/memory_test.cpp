// LocalAlloc and LocalFree.
#include "leak_check.h"

namespace {

using Kernel = layer_test::LeakCheck;

TEST_F(Kernel, LocalMemoryZeroedCountedAndFreedOnce) {
  auto *block = static_cast<unsigned char *>(LocalAlloc(LPTR, 1032));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(platform::LiveObjectCount(), live + 1);
  for (int i = 0; i < 1032; ++i) {
    ASSERT_EQ(block[i], 0) << i;
  }
  block[1031] = 7; // the whole size is usable
  EXPECT_EQ(LocalFree(block), nullptr);
  EXPECT_EQ(LocalFree(block), block); // the handle back on failure
  int local = 0;
  EXPECT_EQ(LocalFree(&local), &local);
  EXPECT_EQ(LocalFree(nullptr), nullptr);
  EXPECT_EQ(LocalAlloc(LMEM_FIXED, SIZE_T{0xFFFFFFFF}), nullptr);
  EXPECT_EQ(LocalAlloc(LMEM_FIXED, ~SIZE_T{0}), nullptr);
  EXPECT_EQ(LocalAlloc(0x0002 /* movable */, 16), nullptr);
}

} // namespace
