// One line per resource, the same on both builds, so their resources can be
// compared as text: "type name language size hash", with type and name in
// decimal or as their string, the language in hex and an FNV-1a 64 hash of
// the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace assets_test {

inline std::uint64_t Fnv1a64(const unsigned char *data, std::size_t size) {
  std::uint64_t hash = 0xCBF29CE484222325u;
  for (std::size_t i = 0; i < size; ++i) {
    hash ^= data[i];
    hash *= 0x100000001B3u;
  }
  return hash;
}

inline std::string ListingLine(const std::string &type, const std::string &name,
                               unsigned language, const unsigned char *data,
                               std::size_t size) {
  char tail[64];
  std::snprintf(tail, sizeof tail, " %04x %zu %016llx", language, size,
                static_cast<unsigned long long>(Fnv1a64(data, size)));
  return type + " " + name + tail;
}

} // namespace assets_test
