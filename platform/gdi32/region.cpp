#include "gdi32/region.h"

#include <algorithm>
#include <cstdint>

namespace platform::detail {
namespace {

bool Overlapping(const RECT &a, const RECT &b) {
  return a.right > b.left && a.left < b.right && a.bottom > b.top &&
         a.top < b.bottom;
}

void SetExtents(Region &region) {
  if (region.rects.empty()) {
    region.extents = RECT{0, 0, 0, 0};
    return;
  }
  RECT box = region.rects.front();
  box.bottom = region.rects.back().bottom;
  for (const RECT &r : region.rects) {
    box.left = std::min(box.left, r.left);
    box.right = std::max(box.right, r.right);
  }
  region.extents = box;
}

// Coalesces the bands appended from `from` on one by one, as GDI does for
// each band it emits: a band merges into the band before it (which starts
// at `lastBand`) when both have the same spans and touch. Works in place;
// returns where the last band now starts.
std::size_t Coalesce(std::vector<RECT> &rects, std::size_t lastBand,
                     std::size_t from) {
  std::size_t write = from;
  for (std::size_t read = from; read != rects.size();) {
    std::size_t bandEnd = read + 1;
    while (bandEnd != rects.size() && rects[bandEnd].top == rects[read].top) {
      ++bandEnd;
    }
    const std::size_t count = bandEnd - read;
    bool merge =
        write - lastBand == count && rects[lastBand].bottom == rects[read].top;
    for (std::size_t i = 0; merge && i < count; ++i) {
      merge = rects[lastBand + i].left == rects[read + i].left &&
              rects[lastBand + i].right == rects[read + i].right;
    }
    if (merge) {
      for (std::size_t i = 0; i < count; ++i) {
        rects[lastBand + i].bottom = rects[read].bottom;
      }
    } else {
      if (write != read) { // a merge before has left a gap
        std::copy(rects.begin() + static_cast<std::ptrdiff_t>(read),
                  rects.begin() + static_cast<std::ptrdiff_t>(bandEnd),
                  rects.begin() + static_cast<std::ptrdiff_t>(write));
      }
      lastBand = write;
      write += count;
    }
    read = bandEnd;
  }
  rects.resize(write);
  return lastBand;
}

using Iter = std::vector<RECT>::const_iterator;
enum class Op { Union, Intersect, Subtract };

void AddRect(std::vector<RECT> &out, int left, int top, int right, int bottom) {
  out.push_back(RECT{left, top, right, bottom});
}

void NonOverlap(std::vector<RECT> &out, Iter r, Iter end, int top, int bottom) {
  for (; r != end; ++r) {
    AddRect(out, r->left, top, r->right, bottom);
  }
}

void UnionBand(std::vector<RECT> &out, Iter r1, Iter e1, Iter r2, Iter e2,
               int top, int bottom) {
  const std::size_t start = out.size();
  while (r1 != e1 || r2 != e2) {
    // Leftmost first; spans that overlap or touch join.
    const bool first = r2 == e2 || (r1 != e1 && r1->left < r2->left);
    const RECT &r = first ? *r1++ : *r2++;
    if (out.size() != start && out.back().right >= r.left) {
      out.back().right = std::max(out.back().right, r.right);
    } else {
      AddRect(out, r.left, top, r.right, bottom);
    }
  }
}

void IntersectBand(std::vector<RECT> &out, Iter r1, Iter e1, Iter r2, Iter e2,
                   int top, int bottom) {
  while (r1 != e1 && r2 != e2) {
    const int left = std::max(r1->left, r2->left);
    const int right = std::min(r1->right, r2->right);
    if (left < right) {
      AddRect(out, left, top, right, bottom);
    }
    if (r1->right < r2->right) {
      ++r1;
    } else if (r2->right < r1->right) {
      ++r2;
    } else {
      ++r1;
      ++r2;
    }
  }
}

void SubtractBand(std::vector<RECT> &out, Iter r1, Iter e1, Iter r2, Iter e2,
                  int top, int bottom) {
  int left = r1->left;
  while (r1 != e1 && r2 != e2) {
    if (r2->right <= left) {
      ++r2;
    } else if (r2->left <= left || r2->left < r1->right) {
      if (r2->left > left) {
        AddRect(out, left, top, r2->left, bottom);
      }
      left = r2->right;
      if (left >= r1->right) {
        if (++r1 != e1) {
          left = r1->left;
        }
      } else {
        ++r2;
      }
    } else {
      if (r1->right > left) {
        AddRect(out, left, top, r1->right, bottom);
      }
      if (++r1 != e1) {
        left = r1->left;
      }
    }
  }
  while (r1 != e1) {
    AddRect(out, left, top, r1->right, bottom);
    if (++r1 != e1) {
      left = r1->left;
    }
  }
}

Iter BandEnd(Iter r, Iter end) {
  Iter e = r;
  while (e != end && e->top == r->top) {
    ++e;
  }
  return e;
}

// Takes the bands of [r, end) that end at or above row y, which meet
// nothing of the other operand: appended as they are (if kept) and
// coalesced as the sweep would emit them. Returns the first band reaching
// below y.
Iter CopyBandsAbove(std::vector<RECT> &out, std::size_t &lastBand, Iter r,
                    Iter end, int y, bool keep) {
  // Bottoms only rise from band to band.
  const Iter above = std::partition_point(
      r, end, [y](const RECT &c) { return c.bottom <= y; });
  if (keep && above != r) {
    const std::size_t from = out.size();
    out.insert(out.end(), r, above);
    lastBand = Coalesce(out, lastBand, from);
  }
  return above;
}

// The band sweep of GDI's region operations: walks both operands band by
// band, splitting them where the other starts or ends, and coalesces every
// band it emits with the one before. Only the rows both operands reach are
// swept; the bands above that are copied, and those left after one operand
// runs out are appended in one go, the first coalesced, the rest kept apart
// as GDI keeps them.
void Sweep(const Region &a, const Region &b, Op op, std::vector<RECT> &out) {
  out.clear();
  const bool keep1 = op != Op::Intersect;
  const bool keep2 = op == Op::Union;
  Iter r1 = a.rects.begin(), end1 = a.rects.end();
  Iter r2 = b.rects.begin(), end2 = b.rects.end();
  std::size_t prevBand = 0;
  r1 = CopyBandsAbove(out, prevBand, r1, end1, r2->top, keep1);
  if (r1 != end1) {
    r2 = CopyBandsAbove(out, prevBand, r2, end2, r1->top, keep2);
  }
  int ybot = std::min(a.extents.top, b.extents.top);
  Iter band1 = BandEnd(r1, end1);
  Iter band2 = BandEnd(r2, end2);
  while (r1 != end1 && r2 != end2) {
    std::size_t curBand = out.size();
    int ytop = 0;
    if (r1->top < r2->top) {
      const int top = std::max(r1->top, ybot);
      const int bot = std::min(r1->bottom, r2->top);
      if (top != bot && keep1) {
        NonOverlap(out, r1, band1, top, bot);
      }
      ytop = r2->top;
    } else if (r2->top < r1->top) {
      const int top = std::max(r2->top, ybot);
      const int bot = std::min(r2->bottom, r1->top);
      if (top != bot && keep2) {
        NonOverlap(out, r2, band2, top, bot);
      }
      ytop = r1->top;
    } else {
      ytop = r1->top;
    }
    if (out.size() != curBand) {
      prevBand = Coalesce(out, prevBand, curBand);
    }
    ybot = std::min(r1->bottom, r2->bottom);
    curBand = out.size();
    if (ybot > ytop) {
      switch (op) {
      case Op::Union:
        UnionBand(out, r1, band1, r2, band2, ytop, ybot);
        break;
      case Op::Intersect:
        IntersectBand(out, r1, band1, r2, band2, ytop, ybot);
        break;
      case Op::Subtract:
        SubtractBand(out, r1, band1, r2, band2, ytop, ybot);
        break;
      }
    }
    if (out.size() != curBand) {
      prevBand = Coalesce(out, prevBand, curBand);
    }
    if (r1->bottom == ybot) {
      r1 = band1;
      band1 = BandEnd(r1, end1);
    }
    if (r2->bottom == ybot) {
      r2 = band2;
      band2 = BandEnd(r2, end2);
    }
  }

  Iter rest = end1, restEnd = end1;
  if (r1 != end1 && keep1) {
    rest = r1;
  } else if (r2 != end2 && keep2) {
    rest = r2;
    restEnd = end2;
  }
  if (rest != restEnd) {
    const Iter band = BandEnd(rest, restEnd);
    const std::size_t curBand = out.size();
    NonOverlap(out, rest, band, std::max(rest->top, ybot), rest->bottom);
    Coalesce(out, prevBand, curBand);
    out.insert(out.end(), band, restEnd);
  }
}

bool Subsumes(const Region &outer, const Region &inner) {
  return outer.rects.size() == 1 && outer.extents.left <= inner.extents.left &&
         outer.extents.top <= inner.extents.top &&
         outer.extents.right >= inner.extents.right &&
         outer.extents.bottom >= inner.extents.bottom;
}

// The union when one operand is empty or a rectangle holding the other:
// that operand as it is, as GDI returns it. Null when a sweep is needed.
const Region *WholeUnion(const Region &a, const Region &b) {
  if (a.rects.empty() || &a == &b) {
    return &b;
  }
  if (b.rects.empty() || Subsumes(a, b)) {
    return &a;
  }
  if (Subsumes(b, a)) {
    return &b;
  }
  return nullptr;
}

RECT BoxAround(const RECT &a, const RECT &b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top),
              std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

} // namespace

int Region::Type() const {
  if (rects.empty()) {
    return NULLREGION;
  }
  return rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool Region::Contains(int x, int y) const {
  if (rects.empty() || x < extents.left || x >= extents.right ||
      y < extents.top || y >= extents.bottom) {
    return false;
  }
  // First rectangle whose band reaches below y.
  auto r = std::partition_point(rects.begin(), rects.end(),
                                [y](const RECT &c) { return c.bottom <= y; });
  for (; r != rects.end() && r->top <= y; ++r) {
    if (x >= r->left && x < r->right) {
      return true;
    }
  }
  return false;
}

Region RectRegion(int left, int top, int right, int bottom) {
  Region region;
  if (left > right) {
    std::swap(left, right);
  }
  if (top > bottom) {
    std::swap(top, bottom);
  }
  if (left != right && top != bottom) {
    region.rects.push_back(RECT{left, top, right, bottom});
    region.extents = region.rects.front();
  }
  return region;
}

std::optional<Region> EllipseRegion(int left, int top, int right, int bottom) {
  if (left > right) {
    std::swap(left, right);
  }
  if (top > bottom) {
    std::swap(top, bottom);
  }
  if (left == right || top == bottom) {
    return Region{};
  }
  if (static_cast<long long>(right) - left > kMaxEllipseSide ||
      static_cast<long long>(bottom) - top > kMaxEllipseSide) {
    return std::nullopt;
  }
  // Pixel rows and columns of the box, without the right and bottom edges.
  --right;
  --bottom;
  const int width = right - left;
  const int height = bottom - top;
  if (width < 2 || height < 2) {
    return RectRegion(left, top, right, bottom);
  }

  // Midpoint ellipse stepping (after Alois Zingl) from the middle row
  // downwards; the upper half mirrors the lower one.
  const int64_t a = width - 1;
  const int64_t b = height - 1;
  const int64_t stepX = 8 * b * b;
  const int64_t stepY = 8 * a * a;
  int64_t dx = 4 * b * b * (1 - a);
  int64_t dy = 4 * a * a * (1 + b % 2);
  int64_t err = dx + dy + a * a * (b % 2);

  std::vector<int> inset(static_cast<std::size_t>(height), -1);
  int x = 0;
  int y = height / 2;
  inset[static_cast<std::size_t>(y)] = 0;
  while (x <= width / 2) {
    const int64_t e2 = 2 * err;
    if (e2 >= dx) {
      ++x;
      dx += stepX;
      err += dx;
    }
    if (e2 <= dy) {
      ++y;
      dy += stepY;
      err += dy;
      if (y < height) {
        inset[static_cast<std::size_t>(y)] = x;
      }
    }
  }
  // Very narrow boxes end the stepping before the last rows; those keep
  // the inset of the row above them.
  for (std::size_t i = static_cast<std::size_t>(height / 2) + 1;
       i < inset.size(); ++i) {
    if (inset[i] < 0) {
      inset[i] = inset[i - 1];
    }
  }
  for (int i = 0; i < height / 2; ++i) {
    inset[static_cast<std::size_t>(i)] = inset[static_cast<std::size_t>(b - i)];
  }

  Region region;
  region.rects.reserve(static_cast<std::size_t>(height));
  for (int i = 0; i < height; ++i) {
    const int in = inset[static_cast<std::size_t>(i)];
    region.rects.push_back(RECT{left + in, top + i, right - in, top + i + 1});
  }
  region.extents = RECT{left, top, right, bottom};
  return region;
}

Region UnionRegions(const Region &a, const Region &b) {
  if (const Region *whole = WholeUnion(a, b)) {
    return *whole;
  }
  Region out;
  Sweep(a, b, Op::Union, out.rects);
  out.extents = BoxAround(a.extents, b.extents);
  return out;
}

void UniteInto(Region &a, const Region &b) {
  if (const Region *whole = WholeUnion(a, b)) {
    if (whole != &a) {
      a = *whole;
    }
    return;
  }
  // Swapped with the region's own list, so repeated unions (a clip built
  // shape by shape) reuse two buffers instead of allocating each time.
  thread_local std::vector<RECT> scratch;
  Sweep(a, b, Op::Union, scratch);
  a.rects.swap(scratch);
  a.extents = BoxAround(a.extents, b.extents);
}

Region IntersectRegions(const Region &a, const Region &b) {
  Region out;
  if (!a.rects.empty() && !b.rects.empty() &&
      Overlapping(a.extents, b.extents)) {
    Sweep(a, b, Op::Intersect, out.rects);
  }
  SetExtents(out);
  return out;
}

Region SubtractRegions(const Region &a, const Region &b) {
  if (a.rects.empty() || b.rects.empty() ||
      !Overlapping(a.extents, b.extents)) {
    return a;
  }
  Region out;
  Sweep(a, b, Op::Subtract, out.rects);
  SetExtents(out);
  return out;
}

Region XorRegions(const Region &a, const Region &b) {
  return UnionRegions(SubtractRegions(a, b), SubtractRegions(b, a));
}

} // namespace platform::detail
