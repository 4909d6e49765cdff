// Device-dependent bitmaps made from 8-bit DIBs.
#include <cstring>

#include "gdi32/gdi_objects.h"

using namespace platform::detail;

namespace {

// Largest bitmap side and pixel count accepted from a header.
constexpr LONG kMaxSide = 32768;
constexpr long long kMaxPixels = 1LL << 26;

bool UsableHeader(const BITMAPINFOHEADER &h) {
  const long long height =
      h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
  return h.biSize >= sizeof(BITMAPINFOHEADER) && h.biPlanes == 1 &&
         h.biBitCount == 8 && h.biCompression == BI_RGB && h.biWidth > 0 &&
         h.biWidth <= kMaxSide && height > 0 && height <= kMaxSide &&
         h.biWidth * height <= kMaxPixels && h.biClrUsed <= 256;
}

} // namespace

HBITMAP WINAPI CreateDIBitmap(HDC dc, const BITMAPINFOHEADER *header,
                              DWORD init, const void *bits,
                              const BITMAPINFO *info, UINT usage) {
  if (dc != nullptr && Find<DcObject>(dc) == nullptr) {
    return nullptr;
  }
  if (header == nullptr || !UsableHeader(*header)) {
    return nullptr;
  }
  const int width = header->biWidth;
  const bool topDown = header->biHeight < 0;
  const int height = topDown ? -header->biHeight : header->biHeight;
  auto bitmap = std::make_unique<BitmapObject>();
  bitmap->width = width;
  bitmap->height = height;
  const std::size_t rowBytes = static_cast<std::size_t>(width);
  bitmap->indices.assign(rowBytes * static_cast<std::size_t>(height), 0);

  if ((init & CBM_INIT) != 0) {
    // The bits are laid out as `info` says; this layer takes only DIBs
    // that describe the same size as the bitmap.
    if (bits == nullptr || info == nullptr || usage != DIB_RGB_COLORS ||
        !UsableHeader(info->bmiHeader) ||
        info->bmiHeader.biWidth != header->biWidth ||
        info->bmiHeader.biHeight != header->biHeight) {
      return nullptr;
    }
    const DWORD used =
        info->bmiHeader.biClrUsed == 0 ? 256 : info->bmiHeader.biClrUsed;
    const auto *table = reinterpret_cast<const BYTE *>(info->bmiColors);
    for (DWORD i = 0; i < used; ++i) {
      const BYTE *q = table + 4 * i; // blue, green, red, reserved
      bitmap->colours[i] = static_cast<uint32_t>(q[2]) << 16 |
                           static_cast<uint32_t>(q[1]) << 8 | q[0];
    }
    // DIB rows are padded to 4 bytes; bottom-up unless the height is
    // negative.
    const std::size_t stride = (rowBytes + 3) & ~std::size_t{3};
    const auto *src = static_cast<const BYTE *>(bits);
    for (int row = 0; row < height; ++row) {
      const std::size_t from =
          static_cast<std::size_t>(topDown ? row : height - 1 - row) * stride;
      std::memcpy(&bitmap->indices[static_cast<std::size_t>(row) * rowBytes],
                  src + from, rowBytes);
    }
  }
  return ToHandle<HBITMAP>(AddObject(std::move(bitmap)));
}
