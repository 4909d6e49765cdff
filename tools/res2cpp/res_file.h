// Reader for 32-bit compiled resource files (.res), as the mingw resource
// compiler writes them. Used by the converter that embeds resources in the
// native build and by the tests that check those resources.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace resfile {

// A type or name: a number, or (when `text` is not empty) a string.
struct Key {
  std::uint16_t id = 0;
  std::string text;
  bool operator==(const Key &) const = default;
};

struct Entry {
  Key type;
  Key name;
  std::uint16_t language = 0;
  std::uint16_t memoryFlags = 0;
  std::vector<std::uint8_t> data;
};

// Thrown for anything that is not a well-formed .res file; the message says
// what is wrong and at which byte offset.
struct FormatError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Parses the whole file: the empty entry that marks a 32-bit .res file, then
// every resource in file order. Rejects truncated or overlapping records,
// names that are not printable ASCII, and duplicate (type, name, language).
std::vector<Entry> Parse(const std::vector<std::uint8_t> &bytes);

// Reads a file into memory; throws std::runtime_error if it cannot.
std::vector<std::uint8_t> ReadFile(const std::string &path);

// For messages and listings: the number in decimal, or the string as is.
std::string ToString(const Key &key);

} // namespace resfile
