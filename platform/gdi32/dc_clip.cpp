// The clip regions of device contexts. Shapes united into a clip are kept
// apart until the whole clip is asked for (GetClipRgn, or a combination
// other than a union): drawing needs only their rows inside the window, so
// a wide, flat window does not pay for the full height of every shape at
// every union. What the calls return is the same as with the clip merged.
#include <algorithm>

#include "gdi32/gdi_objects.h"

using namespace platform::detail;

namespace {

// More than a burst's splat and its droplets.
constexpr std::size_t kMaxClipParts = 64;

bool Inside(const RECT &box, const RECT &area) {
  return box.left >= area.left && box.top >= area.top &&
         box.right <= area.right && box.bottom <= area.bottom;
}

void Forget(const DcObject &dc) { dc.drawClip.reset(); }

// The type of the whole clip without merging it where that can be told
// cheaply: a union is one rectangle only if it fills its bounding box, so
// one corner of the box left uncovered makes it complex.
int ClipType(DcObject &dc) {
  if (dc.clipParts.empty()) {
    return dc.clip->Type();
  }
  bool any = !dc.clip->rects.empty();
  RECT box = dc.clip->extents;
  for (const auto &part : dc.clipParts) {
    if (part->rects.empty()) {
      continue;
    }
    box = any ? RECT{std::min(box.left, part->extents.left),
                     std::min(box.top, part->extents.top),
                     std::max(box.right, part->extents.right),
                     std::max(box.bottom, part->extents.bottom)}
              : part->extents;
    any = true;
  }
  if (!any) {
    return NULLREGION;
  }
  const POINT corners[] = {{box.left, box.top},
                           {box.right - 1, box.top},
                           {box.left, box.bottom - 1},
                           {box.right - 1, box.bottom - 1}};
  for (const POINT &p : corners) {
    if (!ClipContains(dc, p.x, p.y)) {
      return COMPLEXREGION;
    }
  }
  return WholeClip(dc)->Type();
}

} // namespace

namespace platform::detail {

const Region *WholeClip(DcObject &dc) {
  if (!dc.clip) {
    return nullptr;
  }
  for (const auto &part : dc.clipParts) {
    UniteInto(*dc.clip, *part);
  }
  dc.clipParts.clear();
  return &*dc.clip;
}

const Region *DrawingClip(const DcObject &dc, const RECT &area) {
  if (!dc.clip) {
    return nullptr;
  }
  if (dc.clipParts.empty()) {
    return &*dc.clip;
  }
  if (dc.drawClip && dc.drawArea.left == area.left &&
      dc.drawArea.top == area.top && dc.drawArea.right == area.right &&
      dc.drawArea.bottom == area.bottom) {
    return &*dc.drawClip;
  }
  const Region window =
      RectRegion(area.left, area.top, area.right, area.bottom);
  Region within = Inside(dc.clip->extents, area)
                      ? *dc.clip
                      : IntersectRegions(*dc.clip, window);
  for (const auto &part : dc.clipParts) {
    if (Inside(part->extents, area)) {
      UniteInto(within, *part);
    } else {
      UniteInto(within, IntersectRegions(*part, window));
    }
  }
  dc.drawClip = std::move(within);
  dc.drawArea = area;
  return &*dc.drawClip;
}

bool ClipContains(const DcObject &dc, int x, int y) {
  if (!dc.clip || dc.clip->Contains(x, y)) {
    return true;
  }
  return std::any_of(dc.clipParts.begin(), dc.clipParts.end(),
                     [x, y](const auto &part) { return part->Contains(x, y); });
}

} // namespace platform::detail

int WINAPI ExtSelectClipRgn(HDC dc, HRGN region, int mode) {
  DcObject *d = Find<DcObject>(dc);
  if (d == nullptr) {
    return ERROR;
  }
  if (region == nullptr) {
    if (mode != RGN_COPY) {
      return ERROR;
    }
    d->clip.reset();
    d->clipParts.clear();
    Forget(*d);
    return SIMPLEREGION;
  }
  const RegionObject *r = Find<RegionObject>(region);
  if (r == nullptr || mode < RGN_AND || mode > RGN_COPY) {
    return ERROR;
  }
  Forget(*d);
  if (mode == RGN_COPY) {
    // Shared rather than copied: the region may be tall.
    d->clip.emplace();
    d->clipParts.assign(1, r->region);
    return ClipType(*d);
  }
  if (!d->clip) {
    // No clip means the whole device: combining starts from that.
    const RECT all = DeviceRect(*d);
    d->clip = RectRegion(all.left, all.top, all.right, all.bottom);
  }
  if (mode == RGN_OR) {
    // A clip only ever added to is merged now and then, so its parts (and
    // the work of each draw) stay bounded.
    if (d->clipParts.size() >= kMaxClipParts) {
      WholeClip(*d);
    }
    d->clipParts.push_back(r->region);
    return ClipType(*d);
  }
  const Region &whole = *WholeClip(*d);
  switch (mode) {
  case RGN_AND:
    d->clip = IntersectRegions(whole, *r->region);
    break;
  case RGN_XOR:
    d->clip = XorRegions(whole, *r->region);
    break;
  default:
    d->clip = SubtractRegions(whole, *r->region);
    break;
  }
  return d->clip->Type();
}

int WINAPI SelectClipRgn(HDC dc, HRGN region) {
  return ExtSelectClipRgn(dc, region, RGN_COPY);
}

int WINAPI GetClipRgn(HDC dc, HRGN region) {
  DcObject *d = Find<DcObject>(dc);
  RegionObject *r = Find<RegionObject>(region);
  if (d == nullptr || r == nullptr) {
    return -1;
  }
  const Region *whole = WholeClip(*d);
  if (whole == nullptr) {
    return 0;
  }
  r->region = std::make_shared<const Region>(*whole);
  return 1;
}
