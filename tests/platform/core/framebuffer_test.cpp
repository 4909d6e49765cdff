// The framebuffer's own memory and memory lent to it (a Wayland buffer).
#include "core/framebuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <vector>

namespace platform::detail {
namespace {

TEST(Framebuffer, StartsWithA640By480BlackScreenOfItsOwn) {
  Framebuffer f;
  ASSERT_EQ(f.pixels.size(), 640u * 480u);
  EXPECT_TRUE(f.Owned());
  EXPECT_TRUE(std::all_of(f.pixels.begin(), f.pixels.end(),
                          [](uint32_t p) { return p == 0; }));
}

TEST(Framebuffer, AllocateReplacesThePixelsWithZeroedOnes) {
  Framebuffer f;
  f.pixels[5] = 0x123456;
  f.Allocate(3 * 2);
  ASSERT_EQ(f.pixels.size(), 6u);
  EXPECT_TRUE(std::all_of(f.pixels.begin(), f.pixels.end(),
                          [](uint32_t p) { return p == 0; }));
  // Written to its last pixel: the memory is all there.
  f.pixels.back() = 0xFFFFFF;
  EXPECT_EQ(f.pixels[5], 0xFFFFFFu);
}

TEST(Framebuffer, NoPixelsIsNoMemory) {
  Framebuffer f;
  f.Allocate(0);
  EXPECT_TRUE(f.pixels.empty());
  EXPECT_TRUE(f.Owned());
}

TEST(Framebuffer, MoreThanMemoryCanHoldThrowsAndLeavesNoPixels) {
  Framebuffer f;
  EXPECT_THROW(f.Allocate(SIZE_MAX / 2), std::bad_alloc);
  EXPECT_TRUE(f.pixels.empty());
  f.Allocate(4);
  EXPECT_EQ(f.pixels.size(), 4u);
}

TEST(Framebuffer, LentMemoryIsDrawnIntoInPlace) {
  std::vector<uint32_t> buffer(12, 7u);
  Framebuffer f;
  f.Lend(buffer);
  EXPECT_FALSE(f.Owned());
  ASSERT_EQ(f.pixels.data(), buffer.data());
  f.pixels[11] = 9;
  EXPECT_EQ(buffer[11], 9u);
}

TEST(Framebuffer, LendingAnotherBufferLeavesTheFirstAlone) {
  std::vector<uint32_t> first(4, 1u), second(4, 2u);
  Framebuffer f;
  f.Lend(first);
  f.Lend(second);
  f.pixels[0] = 3;
  EXPECT_EQ(first[0], 1u);
  EXPECT_EQ(second[0], 3u);
}

TEST(Framebuffer, AllocateAfterLendingTakesOwnMemoryAgain) {
  std::vector<uint32_t> buffer(4, 5u);
  Framebuffer f;
  f.Lend(buffer);
  f.Allocate(4);
  EXPECT_TRUE(f.Owned());
  EXPECT_NE(f.pixels.data(), buffer.data());
  f.pixels[0] = 1;
  EXPECT_EQ(buffer[0], 5u);
  EXPECT_EQ(f.pixels[1], 0u);
}

} // namespace
} // namespace platform::detail
