// The GDI objects of the layer: regions, bitmaps, palettes and device
// contexts, and the geometry of where a device context draws.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "objects.h"
#include "region.h"

namespace platform::detail {

struct RegionObject : Object {
  static constexpr Kind kKind = Kind::Region;
  explicit RegionObject(Region r) : Object(kKind), region(std::move(r)) {}
  Region region;
};

// A device-dependent bitmap. Pixels stay as 8-bit indices with a lookup
// into device colours (0x00RRGGBB), so creating one from a DIB is a copy
// and the colour conversion happens only for pixels that get drawn.
struct BitmapObject : Object {
  static constexpr Kind kKind = Kind::Bitmap;
  BitmapObject() : Object(kKind) {}
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indices; // top row first, width bytes per row
  std::array<uint32_t, 256> colours{};
  int selectedIn = 0; // number of memory DCs holding it (0 or 1)
};

struct PaletteObject : Object {
  static constexpr Kind kKind = Kind::Palette;
  PaletteObject() : Object(kKind) {}
  std::vector<PALETTEENTRY> entries;
  int selectedIn = 0;
};

// A solid brush; stock brushes (GetStockObject) are stock objects of this
// kind. DefWindowProcA fills WM_ERASEBKGND with the class brush's colour.
struct BrushObject : Object {
  static constexpr Kind kKind = Kind::Brush;
  BrushObject() : Object(kKind) {}
  COLORREF colour = 0;
};

struct DcObject : Object {
  static constexpr Kind kKind = Kind::Dc;
  DcObject() : Object(kKind) {}
  ~DcObject() override;
  bool memory = false;
  uintptr_t window = 0; // window DCs: the window, 0 for the whole display
  bool ownDc = false;   // belongs to its window, survives ReleaseDC
  uintptr_t bitmap = 0; // memory DCs: the selected bitmap
  uintptr_t palette = 0;
  std::optional<Region> clip; // in DC coordinates; none = no clipping
  int stretchMode = BLACKONWHITE;
};

// An icon loaded from a group resource: shared, never freed by programs.
struct IconObject : Object {
  static constexpr Kind kKind = Kind::Icon;
  IconObject() : Object(kKind) {}
  int width = 0; // of the group's first image
  int height = 0;
};

// Where a window DC lands on the display: the display position of its
// (0, 0) and the part of the display it may touch, in DC coordinates.
struct Surface {
  int originX = 0;
  int originY = 0;
  RECT visible{0, 0, 0, 0};
};
Surface WindowSurface(uintptr_t window);

// The size of what a DC draws on (client area or selected bitmap).
RECT DeviceRect(const DcObject &dc);

uintptr_t StockBitmap();
uintptr_t StockPalette();
uintptr_t NewRegion(Region region);
int DisplayBitsPerPixel();

// At 8 bits per pixel, replaces each colour by the one the display shows
// for it (see palette.cpp); at other depths leaves them as they are.
void ShowAsDisplayed(std::array<uint32_t, 256> &colours);
uint32_t ShownColour(uint32_t colour);
// Back to the 20 static colours, as a newly opened display has them.
void ResetSystemPalette();

} // namespace platform::detail
