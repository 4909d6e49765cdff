// Device contexts: memory DCs with their selected bitmap, window DCs, the
// objects selected into them (clip regions: dc_clip.cpp).
#include <algorithm>

#include "core/framebuffer.h"
#include "gdi32/gdi_objects.h"

using namespace platform::detail;

namespace platform::detail {

DcObject::~DcObject() {
  // Whatever was selected stays alive; it is only no longer held.
  if (BitmapObject *b = Find<BitmapObject>(ToHandle<HBITMAP>(bitmap))) {
    b->selectedIn = std::max(0, b->selectedIn - 1);
  }
  if (PaletteObject *p = Find<PaletteObject>(ToHandle<HPALETTE>(palette))) {
    p->selectedIn = std::max(0, p->selectedIn - 1);
  }
}

RECT DeviceRect(const DcObject &dc) {
  if (dc.memory) {
    const BitmapObject *b = Find<BitmapObject>(ToHandle<HBITMAP>(dc.bitmap));
    return b == nullptr ? RECT{0, 0, 0, 0} : RECT{0, 0, b->width, b->height};
  }
  if (dc.window == 0) {
    const Framebuffer &d = TheFramebuffer();
    return RECT{d.originX, d.originY, d.originX + d.width,
                d.originY + d.height};
  }
  RECT client{0, 0, 0, 0};
  GetClientRect(ToHandle<HWND>(dc.window), &client);
  return client;
}

uintptr_t StockBitmap() {
  // The 1x1 black bitmap every memory DC starts with.
  static const uintptr_t handle = [] {
    auto bitmap = std::make_unique<BitmapObject>();
    bitmap->stock = true;
    bitmap->width = 1;
    bitmap->height = 1;
    bitmap->indices.assign(1, 0);
    return AddObject(std::move(bitmap));
  }();
  return handle;
}

} // namespace platform::detail

HDC WINAPI CreateCompatibleDC(HDC dc) {
  if (dc != nullptr && Find<DcObject>(dc) == nullptr) {
    return nullptr;
  }
  auto memory = std::make_unique<DcObject>();
  memory->memory = true;
  memory->bitmap = StockBitmap();
  memory->palette = StockPalette();
  return ToHandle<HDC>(AddObject(std::move(memory)));
}

BOOL WINAPI DeleteDC(HDC dc) {
  const DcObject *d = Find<DcObject>(dc);
  if (d == nullptr || !d->memory) {
    return FALSE; // window DCs go back through ReleaseDC
  }
  return RemoveObject(HandleValue(dc)) ? TRUE : FALSE;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
  DcObject *d = Find<DcObject>(dc);
  if (d == nullptr) {
    return nullptr;
  }
  if (Find<RegionObject>(object) != nullptr) {
    const int type = SelectClipRgn(dc, static_cast<HRGN>(object));
    return type == ERROR ? HGDI_ERROR
                         : ToHandle<HGDIOBJ>(static_cast<uintptr_t>(type));
  }
  BitmapObject *bitmap = Find<BitmapObject>(object);
  if (bitmap == nullptr || !d->memory) {
    return nullptr; // palettes go through SelectPalette
  }
  const uintptr_t previous = d->bitmap;
  if (previous == HandleValue(object)) {
    return object;
  }
  if (bitmap->selectedIn > 0 && !bitmap->stock) {
    return nullptr; // a bitmap lives in one memory DC at a time
  }
  if (BitmapObject *old = Find<BitmapObject>(ToHandle<HBITMAP>(previous))) {
    old->selectedIn = std::max(0, old->selectedIn - 1);
  }
  ++bitmap->selectedIn;
  d->bitmap = HandleValue(object);
  return ToHandle<HGDIOBJ>(previous);
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  Object *o = FindObject(HandleValue(object));
  if (o == nullptr) {
    return FALSE;
  }
  if (o->stock) {
    return TRUE; // stock objects are never deleted
  }
  switch (o->kind) {
  case Kind::Region:
  case Kind::Brush:
    break;
  case Kind::Bitmap:
    if (static_cast<BitmapObject *>(o)->selectedIn > 0) {
      return FALSE;
    }
    break;
  case Kind::Palette:
    if (static_cast<PaletteObject *>(o)->selectedIn > 0) {
      return FALSE;
    }
    break;
  default:
    return FALSE; // not a GDI drawing object
  }
  return RemoveObject(HandleValue(object)) ? TRUE : FALSE;
}

int WINAPI SetStretchBltMode(HDC dc, int mode) {
  DcObject *d = Find<DcObject>(dc);
  if (d == nullptr || mode < BLACKONWHITE || mode > HALFTONE) {
    return 0;
  }
  const int previous = d->stretchMode;
  d->stretchMode = mode;
  return previous;
}

int WINAPI GetStretchBltMode(HDC dc) {
  const DcObject *d = Find<DcObject>(dc);
  return d == nullptr ? 0 : d->stretchMode;
}

int WINAPI GetDeviceCaps(HDC dc, int index) {
  if (Find<DcObject>(dc) == nullptr) {
    return 0;
  }
  switch (index) {
  case BITSPIXEL:
    return TheFramebuffer().bitsPerPixel;
  case PLANES:
    return 1;
  case HORZRES: { // the primary monitor, as Windows answers
    const RECT primary = PrimaryMonitor(TheFramebuffer());
    return primary.right - primary.left;
  }
  case VERTRES: {
    const RECT primary = PrimaryMonitor(TheFramebuffer());
    return primary.bottom - primary.top;
  }
  default:
    return 0;
  }
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  const DcObject *d = Find<DcObject>(dc);
  if (d == nullptr || !ClipContains(*d, x, y)) {
    return CLR_INVALID;
  }
  uint32_t rgb = 0;
  if (d->memory) {
    const BitmapObject *b = Find<BitmapObject>(ToHandle<HBITMAP>(d->bitmap));
    if (b == nullptr || x < 0 || y < 0 || x >= b->width || y >= b->height) {
      return CLR_INVALID;
    }
    rgb = b->colours[b->indices[static_cast<std::size_t>(y) *
                                    static_cast<std::size_t>(b->width) +
                                static_cast<std::size_t>(x)]];
  } else {
    const Surface s = WindowSurface(d->window);
    if (x < s.visible.left || x >= s.visible.right || y < s.visible.top ||
        y >= s.visible.bottom) {
      return CLR_INVALID;
    }
    rgb = platform::detail::TheFramebuffer()
              .pixels[static_cast<std::size_t>(y + s.originY) *
                          static_cast<std::size_t>(TheFramebuffer().width) +
                      static_cast<std::size_t>(x + s.originX)];
  }
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
