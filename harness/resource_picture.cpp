#include "resource_picture.h"

#include <cstring>

#include "winapi.h"

const char *const pictureNames[12] = {"SPLASH1", "SPLASH2", "BLOOD1", "BLOOD2",
                                      "BLOOD3",  "BLOOD4",  "BLOOD5", "PUS1",
                                      "PUS2",    "PUS3",    "PUS4",   "PUS5"};

namespace {

constexpr std::size_t headerSize = 40;
constexpr std::size_t pixelOffset = headerSize + 256 * 4;

uint32_t ReadLe(const unsigned char *p, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    value = (value << 8) | p[i];
  }
  return value;
}

bool Decode(const unsigned char *data, std::size_t size, Picture &out) {
  if (size < pixelOffset || ReadLe(data, 4) != headerSize ||
      ReadLe(data + 14, 2) != 8) {
    return false;
  }
  const auto width = static_cast<int32_t>(ReadLe(data + 4, 4));
  const auto rawHeight = static_cast<int32_t>(ReadLe(data + 8, 4));
  if (width <= 0 || width > 65535 || rawHeight == 0 || rawHeight < -65535 ||
      rawHeight > 65535) {
    return false;
  }
  const bool topDown = rawHeight < 0;
  const int height = topDown ? -rawHeight : rawHeight;
  const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~3u;
  if ((size - pixelOffset) / stride < static_cast<std::size_t>(height)) {
    return false;
  }
  uint32_t colours[256];
  for (int i = 0; i < 256; ++i) {
    const unsigned char *quad = data + headerSize + 4 * i;
    colours[i] = (uint32_t{quad[2]} << 16) | (uint32_t{quad[1]} << 8) | quad[0];
  }
  out.width = width;
  out.height = height;
  out.pixels.resize(static_cast<std::size_t>(width) *
                    static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const int sourceRow = topDown ? y : height - 1 - y;
    const unsigned char *row =
        data + pixelOffset + stride * static_cast<std::size_t>(sourceRow);
    uint32_t *target = out.pixels.data() + static_cast<std::size_t>(y) *
                                               static_cast<std::size_t>(width);
    for (int x = 0; x < width; ++x) {
      target[x] = colours[row[x]];
    }
  }
  return true;
}

} // namespace

bool LoadPictureResource(const char *name, Picture &out) {
  out = Picture{};
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(2));
  if (found == nullptr) {
    return false;
  }
  HGLOBAL loaded = LoadResource(module, found);
  if (loaded == nullptr) {
    return false;
  }
  bool decoded = false;
  const auto *data = static_cast<const unsigned char *>(LockResource(loaded));
  if (data != nullptr) {
    decoded = Decode(data, SizeofResource(module, found), out);
  }
  FreeResource(loaded);
  if (!decoded) {
    out = Picture{};
  }
  return decoded;
}
