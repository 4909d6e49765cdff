// Region operations against a slow model of the GDI sweep built from pixel
// rows: every row both operands reach gets its spans combined, equal
// touching rows merge into one band, and what is left of the longer operand
// once the other runs out is appended as it is, only its first band merged.
// Random ellipse and rectangle mixtures carry both merged and row-by-row
// bands, so the fast paths (bands above copied, tail appended) meet every
// kind of seam.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "layer_helpers.h"
#include "region.h"

using platform::detail::EllipseRegion;
using platform::detail::IntersectRegions;
using platform::detail::RectRegion;
using platform::detail::Region;
using platform::detail::SubtractRegions;
using platform::detail::UnionRegions;
using platform::detail::UniteInto;

namespace {

enum class Op { Union, Intersect, Subtract };
using Spans = std::vector<std::pair<int, int>>;

Spans SpansAt(const Region &r, int y) {
  Spans spans;
  for (const RECT &c : r.rects) {
    if (c.top <= y && y < c.bottom) {
      spans.emplace_back(c.left, c.right);
    }
  }
  return spans;
}

bool Covers(const Spans &spans, int x) {
  return std::any_of(spans.begin(), spans.end(), [x](const auto &s) {
    return s.first <= x && x < s.second;
  });
}

Spans Combine(const Spans &a, const Spans &b, Op op, int left, int right) {
  Spans out;
  for (int x = left; x < right; ++x) {
    const bool inA = Covers(a, x);
    const bool inB = Covers(b, x);
    const bool in = op == Op::Union       ? inA || inB
                    : op == Op::Intersect ? inA && inB
                                          : inA && !inB;
    if (!in) {
      continue;
    }
    if (!out.empty() && out.back().second == x) {
      out.back().second = x + 1;
    } else {
      out.emplace_back(x, x + 1);
    }
  }
  return out;
}

void AppendBand(std::vector<RECT> &out, const Spans &spans, int top,
                int bottom) {
  for (const auto &s : spans) {
    out.push_back(RECT{s.first, top, s.second, bottom});
  }
}

bool SameSpans(const std::vector<RECT> &rects, std::size_t band,
               const Spans &spans) {
  if (rects.size() - band != spans.size()) {
    return false;
  }
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (rects[band + i].left != spans[i].first ||
        rects[band + i].right != spans[i].second) {
      return false;
    }
  }
  return true;
}

// The rectangle list GDI gives for two non-empty, overlapping operands.
std::vector<RECT> ModelSweep(const Region &a, const Region &b, Op op) {
  const int left = std::min(a.extents.left, b.extents.left);
  const int right = std::max(a.extents.right, b.extents.right);
  const int cut = std::min(a.extents.bottom, b.extents.bottom);
  std::vector<RECT> out;
  std::size_t lastBand = 0;
  for (int y = std::min(a.extents.top, b.extents.top); y < cut; ++y) {
    const Spans row = Combine(SpansAt(a, y), SpansAt(b, y), op, left, right);
    if (row.empty()) {
      continue;
    }
    if (!out.empty() && out.back().bottom == y &&
        SameSpans(out, lastBand, row)) {
      for (std::size_t i = lastBand; i < out.size(); ++i) {
        out[i].bottom = y + 1;
      }
    } else {
      lastBand = out.size();
      AppendBand(out, row, y, y + 1);
    }
  }
  const Region &longer = a.extents.bottom > cut ? a : b;
  const bool keep = &longer == &a ? op != Op::Intersect : op == Op::Union;
  if (!keep || a.extents.bottom == b.extents.bottom) {
    return out;
  }
  auto r = std::find_if(longer.rects.begin(), longer.rects.end(),
                        [cut](const RECT &c) { return c.bottom > cut; });
  const int firstTop = r->top;
  Spans first;
  for (; r != longer.rects.end() && r->top == firstTop; ++r) {
    first.emplace_back(r->left, r->right);
  }
  const int top = std::max(firstTop, cut);
  const int bottom = std::prev(r)->bottom;
  if (!out.empty() && out.back().bottom == top &&
      SameSpans(out, lastBand, first)) {
    for (std::size_t i = lastBand; i < out.size(); ++i) {
      out[i].bottom = bottom;
    }
  } else {
    AppendBand(out, first, top, bottom);
  }
  out.insert(out.end(), r, longer.rects.end());
  return out;
}

bool Meet(const RECT &a, const RECT &b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom &&
         b.top < a.bottom;
}

bool HoldsWhole(const Region &outer, const Region &inner) {
  const RECT &o = outer.extents;
  const RECT &i = inner.extents;
  return outer.rects.size() == 1 && o.left <= i.left && o.top <= i.top &&
         o.right >= i.right && o.bottom >= i.bottom;
}

// The whole operation as GDI answers it, shortcuts included.
std::vector<RECT> Model(const Region &a, const Region &b, Op op) {
  const bool empty = a.rects.empty() || b.rects.empty();
  switch (op) {
  case Op::Union:
    if (a.rects.empty() || HoldsWhole(b, a)) {
      return b.rects;
    }
    if (b.rects.empty() || HoldsWhole(a, b)) {
      return a.rects;
    }
    break;
  case Op::Intersect:
    if (empty || !Meet(a.extents, b.extents)) {
      return {};
    }
    break;
  case Op::Subtract:
    if (empty || !Meet(a.extents, b.extents)) {
      return a.rects;
    }
    break;
  }
  return ModelSweep(a, b, op);
}

bool Same(const RECT &a, const RECT &b) {
  return a.left == b.left && a.top == b.top && a.right == b.right &&
         a.bottom == b.bottom;
}

void ExpectSameRects(const std::vector<RECT> &got,
                     const std::vector<RECT> &want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    const RECT &g = got[i];
    const RECT &w = want[i];
    ASSERT_TRUE(Same(g, w))
        << "rect " << i << ": got " << g.left << ',' << g.top << ',' << g.right
        << ',' << g.bottom << " want " << w.left << ',' << w.top << ','
        << w.right << ',' << w.bottom;
  }
}

class Shapes {
public:
  explicit Shapes(unsigned seed) : random_(seed) {}

  int Pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_);
  }

  // An ellipse or a rectangle inside a 48x64 field; sometimes lined up with
  // the field's edges so bands meet exactly.
  Region Shape() {
    const int left = Pick(0, 40);
    const int top = Pick(0, 3) == 0 ? 8 * Pick(0, 7) : Pick(0, 56);
    const int right = left + Pick(1, 24);
    const int bottom = top + (Pick(0, 3) == 0 ? 8 : Pick(1, 30));
    Region ellipse = *EllipseRegion(left, top, right, bottom);
    // The model's pixel rows cannot hold the zero-width rows GDI keeps at
    // the tips of narrow ellipses; those come out as rectangles instead.
    const bool thin =
        std::any_of(ellipse.rects.begin(), ellipse.rects.end(),
                    [](const RECT &r) { return r.left == r.right; });
    if (thin || Pick(0, 2) == 0) {
      return RectRegion(left, top, right, bottom);
    }
    return ellipse;
  }

  // Up to four shapes united, as clips are built; empty now and then.
  Region Mixture() {
    Region region;
    const int count = Pick(0, 4);
    for (int i = 0; i < count; ++i) {
      region = UnionRegions(region, Shape());
    }
    return region;
  }

private:
  std::mt19937 random_;
};

TEST(RegionSweep, UnionMatchesTheRowModel) {
  Shapes shapes(7);
  for (int i = 0; i < 4000; ++i) {
    const Region a = shapes.Mixture();
    const Region b = shapes.Pick(0, 1) == 0 ? shapes.Shape() : shapes.Mixture();
    SCOPED_TRACE(i);
    const Region united = UnionRegions(a, b);
    ExpectSameRects(united.rects, Model(a, b, Op::Union));
    Region inPlace = a;
    UniteInto(inPlace, b);
    ExpectSameRects(inPlace.rects, united.rects);
    EXPECT_TRUE(Same(inPlace.extents, united.extents));
    if (HasFatalFailure()) {
      return;
    }
  }
}

TEST(RegionSweep, IntersectAndSubtractMatchTheRowModel) {
  Shapes shapes(11);
  for (int i = 0; i < 3000; ++i) {
    const Region a = shapes.Mixture();
    const Region b = shapes.Mixture();
    SCOPED_TRACE(i);
    ExpectSameRects(IntersectRegions(a, b).rects, Model(a, b, Op::Intersect));
    ExpectSameRects(SubtractRegions(a, b).rects, Model(a, b, Op::Subtract));
    if (HasFatalFailure()) {
      return;
    }
  }
}

// Seams picked by hand: bands above and below, touching with equal spans
// (merge) or unequal (no merge), identical rows, and a region with itself.
TEST(RegionSweep, UnionAtHandPickedSeams) {
  const Region raw = *EllipseRegion(0, 0, 12, 40); // one band per row
  const Region cases[][2] = {
      {raw, RectRegion(20, 50, 30, 60)},                // wholly below
      {RectRegion(20, 50, 30, 60), raw},                // wholly above
      {RectRegion(0, 0, 4, 5), RectRegion(0, 5, 4, 9)}, // touching, merge
      {RectRegion(0, 0, 4, 5), RectRegion(0, 5, 5, 9)}, // touching, apart
      {RectRegion(0, 0, 4, 5), RectRegion(6, 0, 9, 5)}, // same rows
      {raw, RectRegion(20, 10, 30, 12)},                // inside raw's rows
      {raw, RectRegion(-5, 39, 30, 45)},                // over raw's last row
      {raw, *EllipseRegion(1, 1, 11, 39)},              // inside raw
      {raw, raw},
  };
  for (const auto &c : cases) {
    ExpectSameRects(UnionRegions(c[0], c[1]).rects,
                    Model(c[0], c[1], Op::Union));
  }
  Region self = raw;
  UniteInto(self, self);
  ExpectSameRects(self.rects, raw.rects);
}

// A clip united droplet by droplet through the DC keeps the same
// rectangles as the same unions made with CombineRgn.
TEST(RegionSweep, ClipUnitedInPlaceMatchesCombineRgn) {
  HWND window = layer_test::OpenWindow(0, 0, 200, 120, 200, 120);
  HDC dc = GetDC(window);
  Shapes shapes(3);
  for (int burst = 0; burst < 20; ++burst) {
    HRGN united = CreateEllipticRgn(60, 20, 140, 100);
    SelectClipRgn(dc, united);
    for (int i = 0; i < 40; ++i) {
      const int x = shapes.Pick(0, 200);
      const int y = shapes.Pick(0, 120);
      const int d = shapes.Pick(2, 25);
      HRGN droplet = CreateEllipticRgn(x - d, y - d, x + d, y + d);
      ExtSelectClipRgn(dc, droplet, RGN_OR);
      CombineRgn(united, united, droplet, RGN_OR);
      DeleteObject(droplet);
    }
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetClipRgn(dc, clip), 1);
    ExpectSameRects(layer_test::RectsOf(clip), layer_test::RectsOf(united));
    DeleteObject(clip);
    DeleteObject(united);
  }
  ReleaseDC(window, dc);
  DestroyWindow(window);
}

} // namespace
