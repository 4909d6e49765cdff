// The string table: exactly blocks 1, 63 and 64, byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "embedded_lookup.h"

namespace {

constexpr WORD kStringType = 6;

// Block n holds ids 16(n-1) .. 16n-1: sixteen slots, each a 16-bit length
// and that many UTF-16 units, no terminator.
std::vector<unsigned char> BlockBytes(const std::map<int, std::string> &slots) {
  std::vector<unsigned char> out;
  for (int slot = 0; slot < 16; ++slot) {
    auto it = slots.find(slot);
    const std::string text = it == slots.end() ? "" : it->second;
    out.push_back(static_cast<unsigned char>(text.size()));
    out.push_back(static_cast<unsigned char>(text.size() >> 8));
    for (char c : text) {
      out.push_back(static_cast<unsigned char>(c));
      out.push_back(0);
    }
  }
  return out;
}

std::vector<unsigned char> Data(const platform::EmbeddedResource &e) {
  return {e.data, e.data + e.size};
}

TEST(StringTable, BlocksHoldTheSixStringsInTheirSlots) {
  struct Block {
    WORD id;
    std::size_t size;
    std::map<int, std::string> slots; // slot = string id - 16 (block - 1)
  };
  const Block blocks[] = {
      {1, 48, {{1, "Gushmire"}}},
      {63,
       112,
       {{1001 - 992, "control.ini"},
        {1002 - 992, "Gushmire"},
        {1007 - 992, "Screen Saver.Gushmire"}}},
      {64,
       160,
       {{1008 - 1008, "There is not enough memory available to display help."},
        {1009 - 1008, "windows.hlp"}}},
  };
  for (const Block &block : blocks) {
    SCOPED_TRACE("block " + std::to_string(block.id));
    const platform::EmbeddedResource *e =
        assets_test::Find(kStringType, block.id);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->language, 0x0409);
    EXPECT_EQ(e->size, block.size);
    EXPECT_EQ(Data(*e), BlockBytes(block.slots));
  }
}

TEST(StringTable, NoOtherBlocks) {
  const platform::ResourceTable table = gushmire::EmbeddedResources();
  std::vector<WORD> ids;
  for (std::size_t i = 0; i < table.count; ++i)
    if (table.entries[i].typeName == nullptr &&
        table.entries[i].typeId == kStringType)
      ids.push_back(table.entries[i].nameId);
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<WORD>{1, 63, 64}));
}

} // namespace
