// Logical palettes: held and selected, so code that realizes a palette on
// 8-bit displays runs; the headless display itself stays 32-bit.
#include <algorithm>

#include "backend.h"
#include "gdi_objects.h"

using namespace platform::detail;

namespace platform::detail {
uintptr_t StockPalette() {
  // The default palette: the 20 static colours.
  static const uintptr_t handle = [] {
    static constexpr BYTE kStatic[20][3] = {
        {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},
        {0, 0, 128},     {128, 0, 128},   {0, 128, 128},   {192, 192, 192},
        {192, 220, 192}, {166, 202, 240}, {255, 251, 240}, {160, 160, 164},
        {128, 128, 128}, {255, 0, 0},     {0, 255, 0},     {255, 255, 0},
        {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    auto palette = std::make_unique<PaletteObject>();
    palette->stock = true;
    for (const auto &c : kStatic) {
      palette->entries.push_back(PALETTEENTRY{c[0], c[1], c[2], 0});
    }
    return AddObject(std::move(palette));
  }();
  return handle;
}
} // namespace platform::detail

HPALETTE WINAPI CreatePalette(const LOGPALETTE *palette) {
  if (palette == nullptr || palette->palVersion != 0x300 ||
      palette->palNumEntries == 0 || palette->palNumEntries > 1024) {
    return nullptr;
  }
  auto object = std::make_unique<PaletteObject>();
  const PALETTEENTRY *entries = palette->palPalEntry;
  object->entries.assign(entries, entries + palette->palNumEntries);
  return ToHandle<HPALETTE>(AddObject(std::move(object)));
}

HPALETTE WINAPI SelectPalette(HDC dc, HPALETTE palette, BOOL) {
  DcObject *d = Find<DcObject>(dc);
  PaletteObject *p = Find<PaletteObject>(palette);
  if (d == nullptr || p == nullptr) {
    return nullptr;
  }
  const uintptr_t previous = d->palette;
  if (PaletteObject *old = Find<PaletteObject>(ToHandle<HPALETTE>(previous))) {
    old->selectedIn = std::max(0, old->selectedIn - 1);
  }
  ++p->selectedIn;
  d->palette = HandleValue(palette);
  return ToHandle<HPALETTE>(previous);
}

UINT WINAPI RealizePalette(HDC dc) {
  const DcObject *d = Find<DcObject>(dc);
  if (d == nullptr) {
    return GDI_ERROR;
  }
  const PaletteObject *p = Find<PaletteObject>(ToHandle<HPALETTE>(d->palette));
  if (p == nullptr || DisplayBitsPerPixel() != 8) {
    return 0; // nothing to map on a true-colour display
  }
  TheBackend().PaletteRealized(p->entries.data(),
                               std::min<std::size_t>(p->entries.size(), 256));
  return static_cast<UINT>(std::min<std::size_t>(p->entries.size(), 256));
}
