// Update regions and painting: InvalidateRect, UpdateWindow, BeginPaint,
// EndPaint, and the background fill of WM_ERASEBKGND.
#include <algorithm>

#include "core/backend.h"
#include "core/framebuffer.h"
#include "gdi32/gdi_objects.h"
#include "user32/window.h"

namespace platform::detail {
namespace {

// The colour of a class brush: a brush object, or a system colour index
// plus one as Win32 allows; nullopt for no brush.
std::optional<uint32_t> BrushColour(HBRUSH brush) {
  if (const BrushObject *b = Find<BrushObject>(brush)) {
    return (GetRValue(b->colour) << 16) | (GetGValue(b->colour) << 8) |
           GetBValue(b->colour);
  }
  switch (HandleValue(brush)) {
  case 6: // COLOR_WINDOW + 1
    return 0xFFFFFFu;
  case 16: // COLOR_BTNFACE + 1
    return 0xF0F0F0u;
  case 2:  // COLOR_BACKGROUND + 1
  case 13: // COLOR_APPWORKSPACE + 1
    return 0x808080u;
  default:
    return std::nullopt;
  }
}

} // namespace

void Invalidate(uintptr_t window, const RECT *area, bool erase) {
  WindowObject *w = FindWindowObject(window);
  if (w == nullptr) {
    return;
  }
  const RECT client{0, 0, w->width, w->height};
  const RECT part = area == nullptr ? client : Intersect(*area, client);
  if (Empty(part)) {
    return;
  }
  UniteInto(w->update,
            RectRegion(part.left, part.top, part.right, part.bottom));
  w->erasePending = w->erasePending || erase;
  // Children are included unless the parent clips them out.
  if (w->style & WS_CLIPCHILDREN) {
    return;
  }
  for (uintptr_t child : std::vector<uintptr_t>(w->children)) {
    const WindowObject *c = FindWindowObject(child);
    const RECT inChild{part.left - c->x, part.top - c->y, part.right - c->x,
                       part.bottom - c->y};
    Invalidate(child, &inChild, erase);
  }
}

// Fills the DC's window with the class brush; false without a brush.
bool FillBackground(uintptr_t window, HDC dc) {
  const WindowObject *w = FindWindowObject(window);
  const DcObject *d = Find<DcObject>(dc);
  if (w == nullptr || d == nullptr || d->memory) {
    return false;
  }
  const std::optional<uint32_t> colour =
      BrushColour(w->windowClass->info.hbrBackground);
  if (!colour) {
    return false;
  }
  const Surface s = WindowSurface(d->window);
  RECT area = s.visible;
  const Region *clip = DrawingClip(*d, s.visible);
  if (clip != nullptr) {
    area = Intersect(area, clip->extents);
  }
  const uint32_t shown = ShownColour(*colour);
  Framebuffer &framebuffer = TheFramebuffer();
  for (LONG y = area.top; y < area.bottom; ++y) {
    for (LONG x = area.left; x < area.right; ++x) {
      if (clip == nullptr || clip->Contains(x, y)) {
        framebuffer.pixels[static_cast<std::size_t>(y + s.originY) *
                               static_cast<std::size_t>(framebuffer.width) +
                           static_cast<std::size_t>(x + s.originX)] = shown;
      }
    }
  }
  if (!Empty(area)) {
    TheBackend().Present(RECT{area.left + s.originX, area.top + s.originY,
                              area.right + s.originX, area.bottom + s.originY});
  }
  return true;
}

} // namespace platform::detail

using namespace platform::detail;

BOOL WINAPI InvalidateRect(HWND window, const RECT *rect, BOOL erase) {
  if (window == nullptr) {
    // The whole screen: every window, rectangle in screen coordinates.
    for (uintptr_t top : ChildrenOf(0)) {
      const WindowObject *w = FindWindowObject(top);
      if (rect == nullptr) {
        Invalidate(top, nullptr, erase != FALSE);
        continue;
      }
      const POINT o = ClientOrigin(*w);
      const RECT local{rect->left - o.x, rect->top - o.y, rect->right - o.x,
                       rect->bottom - o.y};
      Invalidate(top, &local, erase != FALSE);
    }
    return TRUE;
  }
  if (FindWindowObject(window) == nullptr) {
    return FALSE;
  }
  Invalidate(HandleValue(window), rect, erase != FALSE);
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND window) {
  const WindowObject *w = FindWindowObject(window);
  if (w == nullptr) {
    return FALSE;
  }
  if (!w->update.rects.empty() && ReallyVisible(*w)) {
    SendMessageA(window, WM_PAINT, 0, 0);
  }
  if ((w = FindWindowObject(window)) != nullptr) {
    for (uintptr_t child : std::vector<uintptr_t>(w->children)) {
      UpdateWindow(ToHandle<HWND>(child));
    }
  }
  return TRUE;
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  WindowObject *w = FindWindowObject(window);
  if (w == nullptr || paint == nullptr) {
    return nullptr;
  }
  *paint = PAINTSTRUCT{};
  HDC dc = GetDC(window);
  paint->hdc = dc;
  paint->rcPaint = w->update.extents;
  // Validated before the erase, as Win32 does: drawing in WM_ERASEBKGND
  // cannot make the window invalid again.
  const bool erase = w->erasePending;
  w->update = Region{};
  w->erasePending = false;
  if (erase) {
    paint->fErase =
        SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0)
            ? FALSE
            : TRUE;
  }
  return dc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT *paint) {
  if (paint == nullptr) {
    return FALSE;
  }
  ReleaseDC(window, paint->hdc);
  return TRUE;
}
