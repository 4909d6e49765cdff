// UTF-8 read and written the one way the layer does it: a malformed
// sequence (a stray or cut-off byte, an overlong form, a surrogate, a value
// past U+10FFFF) is never a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform::detail {

// The code point at `text[*at]`, moving `*at` past it; nullopt, having
// moved one byte, where the sequence there is malformed.
inline std::optional<uint32_t> NextCodePoint(std::string_view text,
                                             std::size_t *at) {
  const auto lead = static_cast<unsigned char>(text[*at]);
  const std::size_t length = lead < 0x80             ? 1
                             : (lead & 0xE0) == 0xC0 ? 2
                             : (lead & 0xF0) == 0xE0 ? 3
                             : (lead & 0xF8) == 0xF0 ? 4
                                                     : 0;
  if (length == 0 || *at + length > text.size()) {
    ++*at;
    return std::nullopt;
  }
  uint32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[*at + k]);
    if ((next & 0xC0) != 0x80) {
      ++*at;
      return std::nullopt;
    }
    point = (point << 6) | (next & 0x3Fu);
  }
  static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < kLeast[length] || point > 0x10FFFF ||
      (point >= 0xD800 && point <= 0xDFFF)) {
    ++*at;
    return std::nullopt;
  }
  *at += length;
  return point;
}

// `c`, a code point, as UTF-8 in `out`; its length in bytes.
inline std::size_t EncodeUtf8(uint32_t c, char out[4]) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

} // namespace platform::detail
