// Regions beyond the single ellipses recorded under Wine. Bad handles are
// in dc_test.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <random>

#include "gdi32/region.h"
#include "layer_helpers.h"

using layer_test::RectsOf;
using layer_test::SameRects;
namespace detail = platform::detail;

namespace {

struct RgnDeleter {
  void operator()(HRGN r) const { DeleteObject(r); }
};
using OwnedRgn = std::unique_ptr<std::remove_pointer_t<HRGN>, RgnDeleter>;

constexpr int kField = 100; // every random shape lies in [0, kField)^2

std::vector<bool> Pixels(const std::vector<RECT> &rects) {
  std::vector<bool> set(kField * kField, false);
  for (const RECT &r : rects) {
    for (LONG y = r.top; y < r.bottom; ++y) {
      for (LONG x = r.left; x < r.right; ++x) {
        set[static_cast<std::size_t>(y * kField + x)] = true;
      }
    }
  }
  return set;
}

} // namespace

// Empty and reversed boxes are compared with Wine's regions in tests/e2e/wine.
TEST(EllipticRegion, HugeNarrowAndFlatBoxes) {
  EXPECT_EQ(CreateEllipticRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX), nullptr);
  EXPECT_EQ(CreateEllipticRgn(0, 0, 3, INT_MAX), nullptr);
  // Very narrow and very flat: every row defined and inside the box.
  OwnedRgn tall(CreateEllipticRgn(0, 0, 5, 200000));
  const auto rects = RectsOf(tall.get());
  ASSERT_EQ(rects.size(), 199999u);
  for (const RECT &r : rects) {
    ASSERT_TRUE(0 <= r.left && r.left <= r.right && r.right <= 4);
  }
  EXPECT_TRUE(PtInRegion(tall.get(), 1, 100000));
  EXPECT_FALSE(PtInRegion(tall.get(), 1, 10)); // the tip is thinner
  OwnedRgn flat(CreateEllipticRgn(-100000, 0, 100000, 4));
  EXPECT_EQ(RectsOf(flat.get()).size(), 3u);
}

// Mixtures of ellipses and rectangles, as clips are built, carry both
// merged and row-by-row bands, so the sweep's shortcuts (bands above
// copied, the longer operand's tail appended) meet every kind of seam.
TEST(CombinedRegion, RandomMixturesGiveTheRightPixels) {
  std::mt19937 random(7);
  auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  auto shape = [&]() {
    const int left = pick(0, 40);
    const int top = pick(0, 3) == 0 ? 8 * pick(0, 7) : pick(0, 56);
    const int right = left + pick(1, 24);
    const int bottom = top + (pick(0, 3) == 0 ? 8 : pick(1, 30));
    detail::Region e = *detail::EllipseRegion(left, top, right, bottom);
    // Narrow ellipses keep zero-width rows at their tips, as GDI does.
    const bool thin =
        std::any_of(e.rects.begin(), e.rects.end(),
                    [](const RECT &r) { return r.left == r.right; });
    if (thin || pick(0, 2) == 0) {
      return detail::RectRegion(left, top, right, bottom);
    }
    return e;
  };
  auto mixture = [&]() {
    detail::Region region;
    for (int n = pick(0, 4); n > 0; --n) {
      region = detail::UnionRegions(region, shape());
    }
    return region;
  };
  using Combine =
      detail::Region (*)(const detail::Region &, const detail::Region &);
  const struct {
    Combine combine;
    bool (*rule)(bool, bool);
  } ops[] = {
      {detail::UnionRegions, [](bool a, bool b) { return a || b; }},
      {detail::IntersectRegions, [](bool a, bool b) { return a && b; }},
      {detail::SubtractRegions, [](bool a, bool b) { return a && !b; }},
      {detail::XorRegions, [](bool a, bool b) { return a != b; }},
  };
  for (int round = 0; round < 2000; ++round) {
    const detail::Region a = mixture();
    const detail::Region b = pick(0, 1) == 0 ? shape() : mixture();
    const auto pa = Pixels(a.rects);
    const auto pb = Pixels(b.rects);
    SCOPED_TRACE(round);
    for (const auto &op : ops) {
      const detail::Region out = op.combine(a, b);
      const auto po = Pixels(out.rects);
      for (std::size_t i = 0; i < po.size(); ++i) {
        ASSERT_EQ(po[i], op.rule(pa[i], pb[i])) << "pixel " << i;
      }
    }
    // Uniting in place gives the same rectangles as a fresh union.
    detail::Region inPlace = a;
    detail::UniteInto(inPlace, b);
    ASSERT_TRUE(SameRects(inPlace.rects, detail::UnionRegions(a, b).rects));
  }
}

TEST(RegionQueries, BadModesAndBuffersTooSmallOrMissing) {
  OwnedRgn live(CreateRectRgn(0, 0, 1, 1));
  EXPECT_EQ(CombineRgn(live.get(), live.get(), nullptr, RGN_OR), ERROR);
  EXPECT_EQ(CombineRgn(live.get(), live.get(), live.get(), 99), ERROR);
  EXPECT_EQ(GetRgnBox(live.get(), nullptr), ERROR);
  // A buffer one byte short is refused, not overrun.
  std::vector<unsigned char> data(sizeof(RGNDATAHEADER) + sizeof(RECT) - 1);
  EXPECT_EQ(GetRegionData(live.get(), static_cast<DWORD>(data.size()),
                          reinterpret_cast<RGNDATA *>(data.data())),
            0u);
}
