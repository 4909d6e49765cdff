// The framebuffer's own memory and memory lent to it (a Wayland buffer).
#include "core/framebuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <vector>

namespace platform::detail {
namespace {

bool AllBlack(const Framebuffer &f) {
  return std::all_of(f.pixels.begin(), f.pixels.end(),
                     [](uint32_t p) { return p == 0; });
}

TEST(Framebuffer, OwnMemoryStartsBlackAndIsReplacedWhole) {
  Framebuffer f;
  ASSERT_EQ(f.pixels.size(), 640u * 480u);
  EXPECT_TRUE(f.Owned());
  EXPECT_TRUE(AllBlack(f));
  f.pixels[5] = 0x123456;
  f.Allocate(3 * 2);
  ASSERT_EQ(f.pixels.size(), 6u);
  EXPECT_TRUE(AllBlack(f));
  // Written to its last pixel: the memory is all there.
  f.pixels.back() = 0xFFFFFF;
  EXPECT_EQ(f.pixels[5], 0xFFFFFFu);
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

TEST(Framebuffer, LentMemoryIsDrawnIntoInPlaceUntilAnotherReplacesIt) {
  std::vector<uint32_t> first(4, 1u), second(12, 7u);
  Framebuffer f;
  f.Lend(first);
  f.Lend(second);
  EXPECT_FALSE(f.Owned());
  ASSERT_EQ(f.pixels.data(), second.data());
  f.pixels[11] = 9;
  EXPECT_EQ(second[11], 9u);
  EXPECT_EQ(first[0], 1u);
  // Allocating takes memory of its own again; the lent one keeps its pixels.
  f.Allocate(4);
  EXPECT_TRUE(f.Owned());
  EXPECT_NE(f.pixels.data(), second.data());
  f.pixels[0] = 1;
  EXPECT_EQ(second[0], 7u);
  EXPECT_EQ(f.pixels[1], 0u);
}

} // namespace
} // namespace platform::detail
