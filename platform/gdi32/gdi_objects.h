// The GDI objects of the layer: regions, bitmaps, palettes and device
// contexts, and the geometry of where a device context draws.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "core/objects.h"
#include "gdi32/region.h"

namespace platform::detail {

struct RegionObject : Object {
  static constexpr Kind kKind = Kind::Region;
  explicit RegionObject(Region r)
      : Object(kKind), region(std::make_shared<const Region>(std::move(r))) {}
  // Replaced, never changed in place: a DC's clip may still share it.
  std::shared_ptr<const Region> region;
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
  // In DC coordinates; none = no clipping. The clip is `clip` united with
  // `clipParts`: shapes added with RGN_OR stay apart until the whole clip
  // is asked for, because drawing needs only their rows inside the window
  // and tall shapes on a flat window would otherwise cost their whole
  // height at every union (see dc_clip.cpp).
  std::optional<Region> clip;
  std::vector<std::shared_ptr<const Region>> clipParts;
  // The clip within drawArea, kept while neither changes.
  mutable std::optional<Region> drawClip;
  mutable RECT drawArea{0, 0, 0, 0};
  int stretchMode = BLACKONWHITE;
};

// An icon loaded from a group resource: shared, never freed by programs.
struct IconObject : Object {
  static constexpr Kind kKind = Kind::Icon;
  IconObject() : Object(kKind) {}
  int width = 0; // of the group's first image
  int height = 0;
};

// Where a window DC lands on the framebuffer: the position of its (0, 0)
// and the part it may touch, in DC coordinates. Window DCs belong to the
// window manager's side: user32/window_dc.cpp defines WindowSurface.
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

// The whole clip of a DC, its pending shapes merged in; nullptr for none.
const Region *WholeClip(DcObject &dc);
// The clip as drawing inside AREA (DC coordinates) sees it: the same
// pixels within AREA, nothing outside it. nullptr for none.
const Region *DrawingClip(const DcObject &dc, const RECT &area);
bool ClipContains(const DcObject &dc, int x, int y);
int FramebufferBitsPerPixel();

// At 8 bits per pixel, replaces each colour by the one the display shows
// for it (see palette.cpp); at other depths leaves them as they are.
void ShowAsDisplayed(std::array<uint32_t, 256> &colours);
uint32_t ShownColour(uint32_t colour);

} // namespace platform::detail
