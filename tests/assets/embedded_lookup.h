// Test helpers over the native build's embedded resource table: finding an
// entry and reading little-endian fields out of its data with bounds checks.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

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

// Sequential reader; running past the end throws, so a short resource fails
// the test instead of reading out of bounds.
class Fields {
public:
  Fields(const unsigned char *data, std::size_t size)
      : data_(data), size_(size) {}
  explicit Fields(const platform::EmbeddedResource &e)
      : Fields(e.data, e.size) {}

  std::size_t pos() const { return pos_; }
  std::size_t left() const { return size_ - pos_; }

  std::uint8_t U8() {
    Need(1);
    return data_[pos_++];
  }
  std::uint16_t U16() {
    unsigned lo = U8();
    return static_cast<std::uint16_t>(lo | unsigned{U8()} << 8);
  }
  std::uint32_t U32() {
    std::uint32_t lo = U16();
    return lo | std::uint32_t{U16()} << 16;
  }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

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

  // Skips to the next multiple of 4 from the start; returns the skipped
  // bytes ORed together (0 when the padding is clean).
  unsigned AlignTo4() {
    unsigned bits = 0;
    while (pos_ % 4 != 0)
      bits |= U8();
    return bits;
  }

private:
  void Need(std::size_t n) const {
    if (size_ - pos_ < n)
      throw std::out_of_range("read past the end at " + std::to_string(pos_));
  }

  const unsigned char *data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

} // namespace assets_test
