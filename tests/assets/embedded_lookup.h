// Test helpers over the native build's embedded resource table: finding an
// entry and reading little-endian fields out of its data with bounds checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "embedded_resources.h"

namespace assets_test {

// The entry with this numeric type and name (string name when `name` is
// set), or null.
inline const platform::EmbeddedResource *Find(WORD type, WORD id,
                                              const char *name = nullptr) {
  const platform::ResourceTable table = gushmire::EmbeddedResources();
  for (std::size_t i = 0; i < table.count; ++i) {
    const platform::EmbeddedResource &e = table.entries[i];
    if (e.typeName != nullptr || e.typeId != type)
      continue;
    if (name != nullptr ? e.name != nullptr && std::strcmp(e.name, name) == 0
                        : e.name == nullptr && e.nameId == id)
      return &e;
  }
  return nullptr;
}

// The data of a numbered resource; empty when there is none (the inventory
// test pins down which resources exist and their sizes).
inline std::vector<std::uint8_t> Bytes(WORD type, WORD id) {
  const platform::EmbeddedResource *e = Find(type, id);
  return e ? std::vector<std::uint8_t>(e->data, e->data + e->size)
           : std::vector<std::uint8_t>{};
}

// Sequential reader; running past the end throws, so a short resource fails
// the test instead of reading out of bounds.
class Fields {
public:
  explicit Fields(const std::vector<std::uint8_t> &data) : data_(data) {}

  std::size_t left() const { return data_.size() - pos_; }

  // Little-endian field of 1, 2 or 4 bytes.
  std::uint32_t Read(int bytes) {
    if (data_.size() - pos_ < static_cast<std::size_t>(bytes))
      throw std::out_of_range("read past the end at " + std::to_string(pos_));
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
      v |= std::uint32_t{data_[pos_++]} << 8 * i;
    return v;
  }
  std::uint8_t U8() { return static_cast<std::uint8_t>(Read(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Read(2)); }
  std::uint32_t U32() { return Read(4); }
  // NUL-terminated UTF-16 text.
  std::string Sz() {
    std::string s;
    for (std::uint16_t c = U16(); c != 0; c = U16()) {
      if (c > 0x7F)
        throw std::runtime_error("non-ASCII code unit");
      s.push_back(static_cast<char>(c));
    }
    return s;
  }
  // Skips to the next multiple of 4; returns the skipped bytes ORed
  // together (0 when the padding is clean).
  unsigned AlignTo4() {
    unsigned bits = 0;
    while (pos_ % 4 != 0)
      bits |= U8();
    return bits;
  }

private:
  const std::vector<std::uint8_t> &data_;
  std::size_t pos_ = 0;
};

// Reads one field per character of `widths` (1, 2 or 4 bytes) and compares
// it with the matching value.
inline void ExpectFields(Fields &f, const char *widths,
                         std::initializer_list<std::uint32_t> values) {
  ASSERT_EQ(std::strlen(widths), values.size());
  const std::uint32_t *want = values.begin();
  for (const char *w = widths; *w; ++w, ++want)
    EXPECT_EQ(f.Read(*w - '0'), *want) << "field " << w - widths;
}

} // namespace assets_test
