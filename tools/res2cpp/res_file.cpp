#include "res_file.h"

#include <fstream>
#include <iterator>
#include <set>
#include <tuple>

namespace resfile {
namespace {

// Fixed fields after the type and name: data version (4), memory flags (2),
// language (2), version (4), characteristics (4).
constexpr std::size_t kTrailerSize = 16;
constexpr std::size_t kPrefixSize = 8; // data size, header size

[[noreturn]] void Fail(std::size_t offset, const std::string &what) {
  throw FormatError("offset " + std::to_string(offset) + ": " + what);
}

class Reader {
public:
  Reader(const std::vector<std::uint8_t> &bytes, std::size_t begin,
         std::size_t end)
      : bytes_(bytes), pos_(begin), end_(end) {}

  std::size_t pos() const { return pos_; }

  std::uint16_t U16() {
    Need(2);
    auto v = static_cast<std::uint16_t>(bytes_[pos_] | bytes_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }

  std::uint32_t U32() {
    std::uint32_t lo = U16();
    std::uint32_t hi = U16();
    return lo | hi << 16;
  }

  // A type or name: 0xFFFF and a number, or a NUL-terminated UTF-16 string.
  Key ReadKey() {
    Key key;
    std::uint16_t first = U16();
    if (first == 0xFFFF) {
      key.id = U16();
      return key;
    }
    for (std::uint16_t c = first; c != 0; c = U16()) {
      if (c < 0x20 || c > 0x7E)
        Fail(pos_ - 2, "name character outside printable ASCII");
      key.text.push_back(static_cast<char>(c));
    }
    if (key.text.empty())
      Fail(pos_ - 2, "empty resource name");
    return key;
  }

  void AlignTo4(std::size_t base) {
    std::size_t rel = pos_ - base;
    Skip((4 - rel % 4) % 4);
  }

  void Skip(std::size_t n) {
    Need(n);
    pos_ += n;
  }

private:
  void Need(std::size_t n) const {
    if (end_ - pos_ < n)
      Fail(pos_, "record runs past its end");
  }

  const std::vector<std::uint8_t> &bytes_;
  std::size_t pos_;
  std::size_t end_;
};

// Reads one record starting at `start`; returns the offset after it.
std::size_t ReadRecord(const std::vector<std::uint8_t> &bytes,
                       std::size_t start, Entry &out) {
  const std::size_t size = bytes.size();
  if (size - start < kPrefixSize)
    Fail(start, "truncated record header");
  Reader prefix(bytes, start, size);
  const std::uint64_t dataSize = prefix.U32();
  const std::uint64_t headerSize = prefix.U32();
  if (headerSize < kPrefixSize + 4 + 4 + kTrailerSize || headerSize % 4 != 0)
    Fail(start, "bad header size " + std::to_string(headerSize));
  if (headerSize + dataSize > size - start)
    Fail(start, "record runs past the end of the file");

  const std::size_t headerEnd = start + static_cast<std::size_t>(headerSize);
  Reader header(bytes, start + kPrefixSize, headerEnd);
  out.type = header.ReadKey();
  out.name = header.ReadKey();
  header.AlignTo4(start);
  header.U32(); // data version
  out.memoryFlags = header.U16();
  out.language = header.U16();
  header.U32(); // version
  header.U32(); // characteristics
  if (header.pos() != headerEnd)
    Fail(start, "header size does not match its fields");

  const std::size_t dataEnd = headerEnd + static_cast<std::size_t>(dataSize);
  out.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(headerEnd),
                  bytes.begin() + static_cast<std::ptrdiff_t>(dataEnd));
  // Records start on 4-byte boundaries; the last one may omit its padding.
  std::size_t next = dataEnd + (4 - dataSize % 4) % 4;
  return next < size ? next : size;
}

} // namespace

std::vector<Entry> Parse(const std::vector<std::uint8_t> &bytes) {
  Entry marker;
  std::size_t pos = ReadRecord(bytes, 0, marker);
  if (!marker.data.empty() || !marker.type.text.empty() || marker.type.id ||
      !marker.name.text.empty() || marker.name.id)
    Fail(0, "missing the empty entry that starts a 32-bit .res file");

  std::vector<Entry> entries;
  std::set<std::tuple<std::uint16_t, std::string, std::uint16_t, std::string,
                      std::uint16_t>>
      seen;
  while (pos < bytes.size()) {
    Entry entry;
    std::size_t start = pos;
    pos = ReadRecord(bytes, pos, entry);
    if (!seen.emplace(entry.type.id, entry.type.text, entry.name.id,
                      entry.name.text, entry.language)
             .second)
      Fail(start, "duplicate resource " + ToString(entry.type) + "/" +
                      ToString(entry.name));
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<std::uint8_t> ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw std::runtime_error("cannot open " + path);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (in.bad())
    throw std::runtime_error("cannot read " + path);
  return bytes;
}

std::string ToString(const Key &key) {
  return key.text.empty() ? std::to_string(key.id) : key.text;
}

} // namespace resfile
