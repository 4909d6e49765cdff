// StretchBlt from a memory DC's bitmap onto the display through the
// destination's clip region. The work is bounded by the clipped area: only
// the clip rectangles inside the destination are visited.
#include <algorithm>
#include <array>
#include <vector>

#include "core/backend.h"
#include "core/framebuffer.h"
#include "gdi32/gdi_objects.h"
#include "gdi32/stretch_map.h"

using namespace platform::detail;

namespace {

struct Span {
  long long begin;
  long long end;
};

// Destination offsets [begin, end) within `range` whose source lies inside
// the bitmap, with the source index of each in `table`.
Span MapAxis(Span range, long long dst, long long dstLength, long long src,
             long long srcLength, long long limit, Axis axis,
             std::vector<int> &table) {
  table.clear();
  Span valid{range.end, range.end};
  for (long long p = range.begin; p < range.end; ++p) {
    const long long s =
        src + StretchSource(p - dst, srcLength, dstLength, axis);
    if (s < 0 || s >= limit) {
      if (valid.begin != range.end) {
        break; // the mapping rises, so nothing valid follows
      }
      continue;
    }
    if (valid.begin == range.end) {
      valid.begin = p;
    }
    valid.end = p + 1;
    table.push_back(static_cast<int>(s));
  }
  if (valid.begin == range.end) {
    valid.begin = valid.end = range.begin;
  }
  return valid;
}

} // namespace

BOOL WINAPI StretchBlt(HDC dest, int destX, int destY, int destWidth,
                       int destHeight, HDC src, int srcX, int srcY,
                       int srcWidth, int srcHeight, DWORD rop) {
  const DcObject *to = Find<DcObject>(dest);
  const DcObject *from = Find<DcObject>(src);
  if (to == nullptr || from == nullptr || rop != SRCCOPY || to->memory ||
      !from->memory) {
    return FALSE;
  }
  const BitmapObject *bitmap =
      Find<BitmapObject>(ToHandle<HBITMAP>(from->bitmap));
  // Mirroring (negative sizes) is not supported. Any other int is fine:
  // the mapping's products stay below 2 * INT_MAX * INT_MAX < 2^63.
  if (bitmap == nullptr || destWidth < 0 || destHeight < 0 || srcWidth < 0 ||
      srcHeight < 0) {
    return FALSE;
  }
  if (destWidth == 0 || destHeight == 0 || srcWidth == 0 || srcHeight == 0) {
    return TRUE;
  }

  // The part of the destination that can change, in DC coordinates.
  const Surface surface = WindowSurface(to->window);
  RECT area = surface.visible;
  const Region *clip = DrawingClip(*to, surface.visible);
  if (clip != nullptr) {
    const RECT &box = clip->extents;
    area.left = std::max(area.left, box.left);
    area.top = std::max(area.top, box.top);
    area.right = std::min(area.right, box.right);
    area.bottom = std::min(area.bottom, box.bottom);
  }
  Span xs{std::max<long long>(area.left, destX),
          std::min<long long>(area.right,
                              static_cast<long long>(destX) + destWidth)};
  Span ys{std::max<long long>(area.top, destY),
          std::min<long long>(area.bottom,
                              static_cast<long long>(destY) + destHeight)};
  if (xs.begin >= xs.end || ys.begin >= ys.end) {
    return TRUE;
  }
  std::vector<int> columns;
  std::vector<int> rows;
  xs = MapAxis(xs, destX, destWidth, srcX, srcWidth, bitmap->width,
               Axis::Horizontal, columns);
  ys = MapAxis(ys, destY, destHeight, srcY, srcHeight, bitmap->height,
               Axis::Vertical, rows);
  if (xs.begin >= xs.end || ys.begin >= ys.end) {
    return TRUE;
  }

  // What the display shows of each bitmap colour; only an 8-bit display
  // changes them. A copy on the stack also spares the loop a register.
  std::array<uint32_t, 256> shown = bitmap->colours;
  ShowAsDisplayed(shown);
  Framebuffer &framebuffer = TheFramebuffer();
  const auto paint = [&](long long left, long long top, long long right,
                         long long bottom) {
    left = std::max(left, xs.begin);
    right = std::min(right, xs.end);
    top = std::max(top, ys.begin);
    bottom = std::min(bottom, ys.end);
    if (left >= right) {
      return;
    }
    const int *column = columns.data() + (left - xs.begin);
    const std::size_t count = static_cast<std::size_t>(right - left);
    for (long long y = top; y < bottom; ++y) {
      const uint8_t *source =
          bitmap->indices.data() +
          static_cast<std::size_t>(
              rows[static_cast<std::size_t>(y - ys.begin)]) *
              static_cast<std::size_t>(bitmap->width);
      uint32_t *out = framebuffer.pixels.data() +
                      static_cast<std::size_t>(y + surface.originY) *
                          static_cast<std::size_t>(framebuffer.width) +
                      static_cast<std::size_t>(left + surface.originX);
      for (std::size_t i = 0; i < count; ++i) {
        out[i] = shown[source[column[i]]];
      }
    }
  };

  // The backend pushes the changed area on once the copy is done.
  const RECT changed{static_cast<LONG>(xs.begin + surface.originX),
                     static_cast<LONG>(ys.begin + surface.originY),
                     static_cast<LONG>(xs.end + surface.originX),
                     static_cast<LONG>(ys.end + surface.originY)};
  if (clip == nullptr) {
    paint(xs.begin, ys.begin, xs.end, ys.end);
    TheBackend().Present(changed);
    return TRUE;
  }
  // Only the clip's part changed: a splat's circle, not the whole copy.
  const RECT &box = clip->extents;
  const RECT clipped{
      std::max(changed.left, static_cast<LONG>(box.left + surface.originX)),
      std::max(changed.top, static_cast<LONG>(box.top + surface.originY)),
      std::min(changed.right, static_cast<LONG>(box.right + surface.originX)),
      std::min(changed.bottom,
               static_cast<LONG>(box.bottom + surface.originY))};
  const std::vector<RECT> &rects = clip->rects;
  auto r = std::partition_point(rects.begin(), rects.end(), [&](const RECT &c) {
    return c.bottom <= ys.begin;
  });
  for (; r != rects.end() && r->top < ys.end; ++r) {
    paint(r->left, r->top, r->right, r->bottom);
  }
  if (clipped.left < clipped.right && clipped.top < clipped.bottom) {
    TheBackend().Present(clipped);
  }
  return TRUE;
}
