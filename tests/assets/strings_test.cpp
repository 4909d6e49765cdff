// The string table: blocks 1, 63 and 64, byte for byte.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "embedded_lookup.h"

namespace {

// Block n holds ids 16(n-1) .. 16n-1: sixteen slots, each a 16-bit length
// and that many UTF-16 units, no terminator.
std::vector<std::uint8_t> BlockBytes(const std::map<int, std::string> &slots) {
  std::vector<std::uint8_t> out;
  for (int slot = 0; slot < 16; ++slot) {
    auto it = slots.find(slot);
    const std::string text = it == slots.end() ? "" : it->second;
    out.push_back(static_cast<std::uint8_t>(text.size()));
    out.push_back(static_cast<std::uint8_t>(text.size() >> 8));
    for (char c : text)
      out.insert(out.end(), {static_cast<std::uint8_t>(c), 0});
  }
  return out;
}

TEST(StringTable, BlocksHoldTheSixStringsInTheirSlots) {
  // Slot = string id - 16 (block - 1).
  EXPECT_EQ(assets_test::Bytes(6, 1), BlockBytes({{1, "Gushmire"}}));
  EXPECT_EQ(assets_test::Bytes(6, 63),
            BlockBytes({{1001 - 992, "control.ini"},
                        {1002 - 992, "Gushmire"},
                        {1007 - 992, "Screen Saver.Gushmire"}}));
  EXPECT_EQ(
      assets_test::Bytes(6, 64),
      BlockBytes({{1008 - 1008,
                   "There is not enough memory available to display help."},
                  {1009 - 1008, "windows.hlp"}}));
}

} // namespace
