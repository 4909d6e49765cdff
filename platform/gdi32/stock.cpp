// Stock brushes: objects that programs use but never delete, so none of
// them counts as live.
#include <iterator>

#include "gdi32/gdi_objects.h"

using namespace platform::detail;

namespace {

uintptr_t StockBrush(COLORREF colour) {
  auto brush = std::make_unique<BrushObject>();
  brush->stock = true;
  brush->colour = colour;
  return AddObject(std::move(brush));
}

} // namespace

HGDIOBJ WINAPI GetStockObject(int object) {
  // WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH.
  static const uintptr_t brushes[] = {
      StockBrush(RGB(255, 255, 255)), StockBrush(RGB(192, 192, 192)),
      StockBrush(RGB(128, 128, 128)), StockBrush(RGB(64, 64, 64)),
      StockBrush(RGB(0, 0, 0))};
  if (object < 0 || object >= static_cast<int>(std::size(brushes))) {
    return nullptr;
  }
  return ToHandle<HGDIOBJ>(brushes[object]);
}
