#include "backends/x11/pixels.h"

#include <cstddef>
#include <cstring>

namespace platform::detail::x11 {

uint32_t Channel::Put(uint32_t value) const {
  if (bits == 0) {
    return 0;
  }
  value = bits <= 8 ? value >> (8 - bits) : value << (bits - 8);
  return value << shift;
}

uint32_t Channel::Get(unsigned long pixel) const {
  if (bits == 0) {
    return 0;
  }
  const auto value = static_cast<uint32_t>(pixel >> shift) &
                     static_cast<uint32_t>((1ull << bits) - 1);
  if (bits >= 8) {
    return value >> (bits - 8);
  }
  uint32_t out = value << (8 - bits);
  for (int filled = bits; filled < 8; filled += bits) {
    out |= out >> bits;
  }
  return out & 0xFFu;
}

bool MachineOrder(const XImage *image) {
  return image->byte_order ==
         (std::endian::native == std::endian::little ? LSBFirst : MSBFirst);
}

unsigned long ReadPixel(XImage *image, int column, int row) {
  const char *line =
      image->data + static_cast<std::ptrdiff_t>(row) * image->bytes_per_line;
  if (MachineOrder(image)) {
    switch (image->bits_per_pixel) {
    case 32: {
      uint32_t value = 0;
      std::memcpy(&value, line + column * 4, 4);
      return value;
    }
    case 16: {
      uint16_t value = 0;
      std::memcpy(&value, line + column * 2, 2);
      return value;
    }
    case 8:
      return static_cast<unsigned char>(line[column]);
    default:
      break;
    }
  }
  return XGetPixel(image, column, row);
}

void WritePixel(XImage *image, char *line, int column, uint32_t pixel) {
  if (MachineOrder(image)) {
    switch (image->bits_per_pixel) {
    case 32:
      std::memcpy(line + column * 4, &pixel, 4);
      return;
    case 16: {
      const auto value = static_cast<uint16_t>(pixel);
      std::memcpy(line + column * 2, &value, 2);
      return;
    }
    case 8:
      line[column] = static_cast<char>(pixel);
      return;
    default:
      break;
    }
  }
  const auto row =
      static_cast<int>((line - image->data) / image->bytes_per_line);
  XPutPixel(image, column, row, pixel);
}

} // namespace platform::detail::x11
