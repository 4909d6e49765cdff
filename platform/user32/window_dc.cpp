// Device contexts of windows: where a window draws on the screen, and
// GetDC/ReleaseDC.
#include <algorithm>

#include "core/framebuffer.h"
#include "gdi32/gdi_objects.h"
#include "user32/window.h"

namespace platform::detail {

Surface WindowSurface(uintptr_t window) {
  const Framebuffer &d = TheFramebuffer();
  Surface s;
  RECT onDisplay{0, 0, d.width, d.height};
  std::vector<const WindowObject *> chain;
  for (const WindowObject *w = FindWindowObject(window);
       w != nullptr && chain.size() < 64;
       w = (w->style & WS_CHILD) ? FindWindowObject(w->parent) : nullptr) {
    chain.push_back(w);
  }
  if (window != 0 && chain.empty()) {
    return s; // a dead window draws nowhere
  }
  // From the outermost window in: each one's client area clips the next.
  // Framebuffer coordinates start at the display's origin.
  long long ox = -static_cast<long long>(d.originX);
  long long oy = -static_cast<long long>(d.originY);
  for (auto w = chain.rbegin(); w != chain.rend(); ++w) {
    ox += (*w)->x;
    oy += (*w)->y;
    onDisplay.left = static_cast<LONG>(std::max<long long>(onDisplay.left, ox));
    onDisplay.top = static_cast<LONG>(std::max<long long>(onDisplay.top, oy));
    onDisplay.right = static_cast<LONG>(
        std::min<long long>(onDisplay.right, ox + (*w)->width));
    onDisplay.bottom = static_cast<LONG>(
        std::min<long long>(onDisplay.bottom, oy + (*w)->height));
  }
  if (onDisplay.left >= onDisplay.right || onDisplay.top >= onDisplay.bottom) {
    return s;
  }
  s.originX = static_cast<int>(ox);
  s.originY = static_cast<int>(oy);
  s.visible = RECT{static_cast<LONG>(onDisplay.left - ox),
                   static_cast<LONG>(onDisplay.top - oy),
                   static_cast<LONG>(onDisplay.right - ox),
                   static_cast<LONG>(onDisplay.bottom - oy)};
  return s;
}

uintptr_t NewWindowDc(uintptr_t window, bool own) {
  auto dc = std::make_unique<DcObject>();
  dc->window = window;
  dc->ownDc = own;
  dc->palette = StockPalette();
  return AddObject(std::move(dc));
}

} // namespace platform::detail

using namespace platform::detail;

HDC WINAPI GetDC(HWND window) {
  if (window == nullptr) {
    return ToHandle<HDC>(NewWindowDc(0, false));
  }
  const WindowObject *w = FindWindowObject(window);
  if (w == nullptr) {
    return nullptr;
  }
  if (w->ownDc != 0) {
    return ToHandle<HDC>(w->ownDc);
  }
  return ToHandle<HDC>(NewWindowDc(HandleValue(window), false));
}

// The window is not checked: Win32 finds the context by its handle alone, so
// ReleaseDC(NULL, dc) and a mismatched window still release it.
int WINAPI ReleaseDC(HWND, HDC dc) {
  const DcObject *d = Find<DcObject>(dc);
  if (d == nullptr || d->memory) {
    return 0;
  }
  if (!d->ownDc) {
    RemoveObject(HandleValue(dc));
  }
  return 1;
}
