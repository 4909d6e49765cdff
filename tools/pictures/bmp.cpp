#include "bmp.h"

#include <fstream>
#include <iterator>

namespace pictures {

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;
constexpr std::size_t kTable = 1024;

void Put16(std::vector<uint8_t> &out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t> &out, uint32_t v) {
  Put16(out, v & 0xffffu);
  Put16(out, v >> 16);
}

uint32_t Get32(const std::vector<uint8_t> &in, std::size_t at) {
  return static_cast<uint32_t>(in[at]) |
         static_cast<uint32_t>(in[at + 1]) << 8 |
         static_cast<uint32_t>(in[at + 2]) << 16 |
         static_cast<uint32_t>(in[at + 3]) << 24;
}

} // namespace

std::vector<uint8_t> EncodeBmp(const Bitmap8 &bitmap) {
  const auto w = static_cast<uint32_t>(bitmap.width);
  const auto h = static_cast<uint32_t>(bitmap.height);
  const uint32_t imageSize = w * h; // rows are multiples of 4 already
  const auto offset = static_cast<uint32_t>(kFileHeader + kInfoHeader + kTable);
  std::vector<uint8_t> out;
  out.reserve(offset + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + imageSize);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, kInfoHeader);
  Put32(out, w);
  Put32(out, h);
  Put16(out, 1);
  Put16(out, 8);
  Put32(out, 0);
  Put32(out, imageSize);
  Put32(out, static_cast<uint32_t>(bitmap.pixelsPerMetre));
  Put32(out, static_cast<uint32_t>(bitmap.pixelsPerMetre));
  Put32(out, 0);
  Put32(out, 0);
  for (const Colour8 &c : bitmap.table) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  for (uint32_t row = h; row-- > 0;) {
    const auto first =
        bitmap.indices.begin() + static_cast<std::ptrdiff_t>(row * w);
    out.insert(out.end(), first, first + static_cast<std::ptrdiff_t>(w));
  }
  return out;
}

bool WriteFile(const std::string &path, const std::vector<uint8_t> &bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char *>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

bool WriteFile(const std::string &path, const std::string &text) {
  return WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool ReadBmp(const std::string &path, Bitmap8 &out) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> in((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
  const std::size_t start = kFileHeader + kInfoHeader + kTable;
  if (in.size() < start || in[0] != 'B' || in[1] != 'M')
    return false;
  const auto w = static_cast<int32_t>(Get32(in, 18));
  const auto h = static_cast<int32_t>(Get32(in, 22));
  if (w <= 0 || h <= 0 || w > 4096 || h > 4096 ||
      in.size() !=
          start + static_cast<std::size_t>(w) * static_cast<std::size_t>(h))
    return false;
  out.width = w;
  out.height = h;
  out.pixelsPerMetre = static_cast<int>(Get32(in, 38));
  for (std::size_t i = 0; i < 256; ++i) {
    const std::size_t at = kFileHeader + kInfoHeader + 4 * i;
    out.table[i] = {in[at + 2], in[at + 1], in[at]};
  }
  out.indices.assign(in.size() - start, 0);
  const auto rowBytes = static_cast<std::size_t>(w);
  for (std::size_t row = 0; row < static_cast<std::size_t>(h); ++row) {
    const std::size_t from =
        start + (static_cast<std::size_t>(h) - 1 - row) * rowBytes;
    std::copy(in.begin() + static_cast<std::ptrdiff_t>(from),
              in.begin() + static_cast<std::ptrdiff_t>(from + rowBytes),
              out.indices.begin() +
                  static_cast<std::ptrdiff_t>(row * rowBytes));
  }
  return true;
}

} // namespace pictures
