// Logical palettes, and the system palette of an 8-bit display.
//
// The rule at 8 bits per pixel: the system palette holds the first 10
// static colours, then the first 236 entries of the palette last realized
// in a window DC (every entry takes a slot, duplicates included), then the
// last 10 static colours. Each pixel drawn on a window shows as the entry
// nearest to its colour by squared RGB distance, the earliest entry on a
// tie. Until a palette is realized, only the 20 static colours show.
#include <algorithm>
#include <vector>

#include "core/backend.h"
#include "gdi32/gdi_objects.h"

using namespace platform::detail;

namespace {

constexpr BYTE kStatic[20][3] = {
    {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},
    {0, 0, 128},     {128, 0, 128},   {0, 128, 128},   {192, 192, 192},
    {192, 220, 192}, {166, 202, 240}, {255, 251, 240}, {160, 160, 164},
    {128, 128, 128}, {255, 0, 0},     {0, 255, 0},     {255, 255, 0},
    {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};

uint32_t Rgb(BYTE r, BYTE g, BYTE b) {
  return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
}

std::vector<uint32_t> &SystemPalette() {
  static std::vector<uint32_t> colours;
  return colours;
}

void RealizeOnDisplay(const std::vector<PALETTEENTRY> &entries) {
  std::vector<uint32_t> &system = SystemPalette();
  system.clear();
  for (int i = 0; i < 10; ++i) {
    system.push_back(Rgb(kStatic[i][0], kStatic[i][1], kStatic[i][2]));
  }
  for (std::size_t i = 0; i < entries.size() && i < 236; ++i) {
    system.push_back(
        Rgb(entries[i].peRed, entries[i].peGreen, entries[i].peBlue));
  }
  for (int i = 10; i < 20; ++i) {
    system.push_back(Rgb(kStatic[i][0], kStatic[i][1], kStatic[i][2]));
  }
}

uint32_t Nearest(uint32_t colour) {
  uint32_t best = 0;
  long long bestDistance = -1;
  for (uint32_t entry : SystemPalette()) {
    long long distance = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      const long long d = static_cast<long long>((colour >> shift) & 0xFF) -
                          static_cast<long long>((entry >> shift) & 0xFF);
      distance += d * d;
    }
    if (bestDistance < 0 || distance < bestDistance) {
      best = entry;
      bestDistance = distance;
    }
  }
  return best;
}

} // namespace

namespace platform::detail {

void ResetSystemPalette() { RealizeOnDisplay({}); }

void ShowAsDisplayed(std::array<uint32_t, 256> &colours) {
  if (FramebufferBitsPerPixel() != 8) {
    return;
  }
  for (uint32_t &c : colours) {
    c = ShownColour(c);
  }
}

uint32_t ShownColour(uint32_t colour) {
  if (FramebufferBitsPerPixel() != 8) {
    return colour;
  }
  if (SystemPalette().empty()) {
    ResetSystemPalette();
  }
  return Nearest(colour);
}

uintptr_t StockPalette() {
  // The default palette: the 20 static colours.
  static const uintptr_t handle = [] {
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
  if (p == nullptr || FramebufferBitsPerPixel() != 8) {
    return 0; // nothing to map on a true-colour display
  }
  if (!d->memory) {
    RealizeOnDisplay(p->entries);
    TheBackend().SystemPaletteChanged(SystemPalette());
  }
  return static_cast<UINT>(std::min<std::size_t>(p->entries.size(), 256));
}
