// The Win32 region calls over the banded regions.
#include <cstring>

#include "gdi32/gdi_objects.h"

using namespace platform::detail;

namespace platform::detail {
uintptr_t NewRegion(Region region) {
  return AddObject(std::make_unique<RegionObject>(std::move(region)));
}
} // namespace platform::detail

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
  return ToHandle<HRGN>(NewRegion(RectRegion(left, top, right, bottom)));
}

HRGN WINAPI CreateEllipticRgn(int left, int top, int right, int bottom) {
  std::optional<Region> region = EllipseRegion(left, top, right, bottom);
  if (!region) {
    return nullptr;
  }
  return ToHandle<HRGN>(NewRegion(std::move(*region)));
}

int WINAPI CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  RegionObject *out = Find<RegionObject>(dest);
  const RegionObject *a = Find<RegionObject>(src1);
  if (out == nullptr || a == nullptr) {
    return ERROR;
  }
  if (mode == RGN_COPY) {
    out->region = a->region;
    return out->region->Type();
  }
  const RegionObject *b = Find<RegionObject>(src2);
  if (b == nullptr) {
    return ERROR;
  }
  Region result;
  switch (mode) {
  case RGN_AND:
    result = IntersectRegions(*a->region, *b->region);
    break;
  case RGN_OR:
    result = UnionRegions(*a->region, *b->region);
    break;
  case RGN_XOR:
    result = XorRegions(*a->region, *b->region);
    break;
  case RGN_DIFF:
    result = SubtractRegions(*a->region, *b->region);
    break;
  default:
    return ERROR;
  }
  const int type = result.Type();
  out->region = std::make_shared<const Region>(std::move(result));
  return type;
}

int WINAPI GetRgnBox(HRGN region, LPRECT rect) {
  const RegionObject *object = Find<RegionObject>(region);
  if (object == nullptr || rect == nullptr) {
    return ERROR;
  }
  *rect = object->region->extents;
  return object->region->Type();
}

BOOL WINAPI PtInRegion(HRGN region, int x, int y) {
  const RegionObject *object = Find<RegionObject>(region);
  return object != nullptr && object->region->Contains(x, y) ? TRUE : FALSE;
}

DWORD WINAPI GetRegionData(HRGN region, DWORD size, RGNDATA *data) {
  const RegionObject *object = Find<RegionObject>(region);
  if (object == nullptr) {
    return 0;
  }
  const std::vector<RECT> &rects = object->region->rects;
  const DWORD rectBytes = static_cast<DWORD>(rects.size() * sizeof(RECT));
  const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER)) + rectBytes;
  if (data == nullptr) {
    return needed;
  }
  if (size < needed) {
    return 0;
  }
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(rects.size());
  data->rdh.nRgnSize = rectBytes;
  data->rdh.rcBound = object->region->extents;
  if (!rects.empty()) {
    std::memcpy(data->Buffer, rects.data(), rectBytes);
  }
  return needed;
}
