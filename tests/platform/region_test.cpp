// Elliptic and combined regions: pixel sets, banding and the queries.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "layer_helpers.h"

using layer_test::PixelsOf;
using layer_test::RectsOf;

namespace {

struct OwnedRgn {
  explicit OwnedRgn(HRGN r) : rgn(r) {}
  ~OwnedRgn() { DeleteObject(rgn); }
  OwnedRgn(const OwnedRgn &) = delete;
  OwnedRgn &operator=(const OwnedRgn &) = delete;
  HRGN rgn;
};

bool SameRects(const std::vector<RECT> &a, const std::vector<RECT> &b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](RECT p, RECT q) {
           return p.left == q.left && p.top == q.top && p.right == q.right &&
                  p.bottom == q.bottom;
         });
}

// Every band sorted, with disjoint spans, and bands that do not overlap
// each other. Zero-width rows at the tips of very narrow ellipses are kept
// as GDI keeps them (and may split a span in two), so they are skipped.
void ExpectBanded(const std::vector<RECT> &all) {
  std::vector<RECT> rects;
  for (const RECT &r : all) {
    EXPECT_LE(r.left, r.right);
    if (r.left < r.right) {
      rects.push_back(r);
    }
  }
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const RECT &r = rects[i];
    EXPECT_LT(r.top, r.bottom);
    if (i == 0) {
      continue;
    }
    const RECT &p = rects[i - 1];
    if (p.top == r.top) {
      EXPECT_EQ(p.bottom, r.bottom);
      EXPECT_LE(p.right, r.left) << "overlapping spans in one band";
    } else {
      EXPECT_LE(p.bottom, r.top) << "bands overlap";
    }
  }
}

} // namespace

TEST(EllipticRegion, InscribedWithoutRightAndBottomEdges) {
  OwnedRgn e(CreateEllipticRgn(0, 0, 10, 10));
  RECT box{};
  EXPECT_EQ(GetRgnBox(e.rgn, &box), COMPLEXREGION);
  EXPECT_EQ(box.right, 9);
  EXPECT_EQ(box.bottom, 9);
  EXPECT_TRUE(PtInRegion(e.rgn, 0, 4) && PtInRegion(e.rgn, 8, 4));
  EXPECT_TRUE(PtInRegion(e.rgn, 4, 0) && PtInRegion(e.rgn, 4, 8));
  EXPECT_FALSE(PtInRegion(e.rgn, 9, 4) || PtInRegion(e.rgn, 4, 9));
  EXPECT_FALSE(PtInRegion(e.rgn, 0, 0) || PtInRegion(e.rgn, 8, 8));
}

TEST(EllipticRegion, DegenerateBoxes) {
  RECT box{1, 1, 1, 1};
  for (const RECT &b : {RECT{5, 5, 5, 30}, RECT{5, 5, 30, 5}, RECT{0, 0, 0, 0},
                        RECT{7, 3, 8, 40}, RECT{7, 3, 40, 4}}) {
    OwnedRgn e(CreateEllipticRgn(b.left, b.top, b.right, b.bottom));
    ASSERT_NE(e.rgn, nullptr);
    EXPECT_EQ(GetRgnBox(e.rgn, &box), NULLREGION);
    EXPECT_EQ(box.right, 0);
    EXPECT_EQ(GetRegionData(e.rgn, 0, nullptr), sizeof(RGNDATAHEADER));
  }
  // Two pixels wide: a one-column rectangle, the bottom edge dropped.
  OwnedRgn thin(CreateEllipticRgn(4, 0, 6, 9));
  EXPECT_EQ(GetRgnBox(thin.rgn, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 4);
  EXPECT_EQ(box.right, 5);
  EXPECT_EQ(box.bottom, 8);
}

TEST(EllipticRegion, HugeBoxesAreRefusedOrBuiltWithoutTrouble) {
  EXPECT_EQ(CreateEllipticRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX), nullptr);
  EXPECT_EQ(CreateEllipticRgn(0, 0, 3, INT_MAX), nullptr);
  const std::size_t live = platform::LiveObjectCount();
  // Very narrow and very flat: every row defined and inside the box.
  OwnedRgn tall(CreateEllipticRgn(0, 0, 5, 200000));
  const auto rects = RectsOf(tall.rgn);
  ASSERT_EQ(rects.size(), 199999u);
  for (const RECT &r : rects) {
    ASSERT_LE(r.left, r.right);
    ASSERT_GE(r.left, 0);
    ASSERT_LE(r.right, 4);
  }
  EXPECT_TRUE(PtInRegion(tall.rgn, 1, 100000));
  EXPECT_FALSE(PtInRegion(tall.rgn, 1, 10)); // the tip is thinner
  OwnedRgn flat(CreateEllipticRgn(-100000, 0, 100000, 4));
  EXPECT_EQ(RectsOf(flat.rgn).size(), 3u);
  EXPECT_EQ(platform::LiveObjectCount(), live + 2);
}

TEST(CombinedRegion, PixelSetsOfUnionIntersectionDifferenceAndXor) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coord(-20, 60);
  const RECT window{-22, -22, 64, 64};
  for (int round = 0; round < 60; ++round) {
    OwnedRgn a(CreateEllipticRgn(coord(random), coord(random), coord(random),
                                 coord(random)));
    OwnedRgn b(CreateEllipticRgn(coord(random), coord(random), coord(random),
                                 coord(random)));
    CombineRgn(a.rgn, a.rgn, b.rgn, RGN_OR); // two ellipses in `a`
    OwnedRgn c(CreateEllipticRgn(coord(random), coord(random), coord(random),
                                 coord(random)));
    const auto pa = PixelsOf(a.rgn, window);
    const auto pc = PixelsOf(c.rgn, window);
    for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF}) {
      OwnedRgn out(CreateRectRgn(0, 0, 0, 0));
      SCOPED_TRACE(mode);
      const int type = CombineRgn(out.rgn, a.rgn, c.rgn, mode);
      const auto rects = RectsOf(out.rgn);
      ExpectBanded(rects);
      EXPECT_EQ(type, rects.empty()       ? NULLREGION
                      : rects.size() == 1 ? SIMPLEREGION
                                          : COMPLEXREGION);
      const auto po = PixelsOf(out.rgn, window);
      for (std::size_t y = 0; y < po.size(); ++y) {
        for (std::size_t x = 0; x < po[y].size(); ++x) {
          const bool ia = pa[y][x] == '#', ic = pc[y][x] == '#';
          const bool want = mode == RGN_AND   ? (ia && ic)
                            : mode == RGN_OR  ? (ia || ic)
                            : mode == RGN_XOR ? (ia != ic)
                                              : (ia && !ic);
          ASSERT_EQ(po[y][x] == '#', want) << "mode " << mode;
        }
      }
    }
  }
}

TEST(CombinedRegion, UnionCoalescesBandsWithEqualSpans) {
  OwnedRgn top(CreateRectRgn(0, 0, 10, 5));
  OwnedRgn bottom(CreateRectRgn(0, 5, 10, 9));
  OwnedRgn side(CreateRectRgn(10, 0, 20, 9));
  OwnedRgn out(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(CombineRgn(out.rgn, top.rgn, bottom.rgn, RGN_OR), SIMPLEREGION);
  // Touching spans merge too.
  EXPECT_EQ(CombineRgn(out.rgn, out.rgn, side.rgn, RGN_OR), SIMPLEREGION);
  RECT box{};
  GetRgnBox(out.rgn, &box);
  EXPECT_EQ(box.right, 20);
  EXPECT_EQ(box.bottom, 9);

  // Two circles side by side: the rows that end up with equal spans join.
  OwnedRgn left(CreateEllipticRgn(0, 0, 11, 11));
  OwnedRgn right(CreateEllipticRgn(20, 0, 31, 11));
  CombineRgn(out.rgn, left.rgn, right.rgn, RGN_OR);
  const auto rects = RectsOf(out.rgn);
  ExpectBanded(rects);
  EXPECT_LT(rects.size(), 2 * RectsOf(left.rgn).size());
}

TEST(CombinedRegion, UnionWithEmptyOrCoveringRegionCopiesTheOther) {
  OwnedRgn empty(CreateRectRgn(0, 0, 0, 0));
  OwnedRgn e(CreateEllipticRgn(3, 3, 20, 14));
  OwnedRgn out(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(CombineRgn(out.rgn, empty.rgn, e.rgn, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(SameRects(RectsOf(out.rgn), RectsOf(e.rgn)));
  OwnedRgn cover(CreateRectRgn(0, 0, 30, 30));
  EXPECT_EQ(CombineRgn(out.rgn, e.rgn, cover.rgn, RGN_OR), SIMPLEREGION);
  EXPECT_EQ(CombineRgn(out.rgn, e.rgn, nullptr, RGN_COPY), COMPLEXREGION);
  EXPECT_TRUE(SameRects(RectsOf(out.rgn), RectsOf(e.rgn)));
  EXPECT_EQ(CombineRgn(out.rgn, e.rgn, nullptr, RGN_OR), ERROR);
  EXPECT_EQ(CombineRgn(out.rgn, e.rgn, cover.rgn, 99), ERROR);
}

TEST(RegionQueries, RegionDataSizesAndHeader) {
  OwnedRgn e(CreateEllipticRgn(0, 0, 8, 6));
  const DWORD size = GetRegionData(e.rgn, 0, nullptr);
  EXPECT_EQ(size, sizeof(RGNDATAHEADER) + 5 * sizeof(RECT));
  std::vector<unsigned char> buffer(size);
  auto *data = reinterpret_cast<RGNDATA *>(buffer.data());
  EXPECT_EQ(GetRegionData(e.rgn, size - 1, data), 0u);
  EXPECT_EQ(GetRegionData(e.rgn, size, data), size);
  EXPECT_EQ(data->rdh.dwSize, 32u);
  EXPECT_EQ(data->rdh.iType, static_cast<DWORD>(RDH_RECTANGLES));
  EXPECT_EQ(data->rdh.nCount, 5u);
  EXPECT_EQ(data->rdh.nRgnSize, 5 * sizeof(RECT));
  EXPECT_EQ(data->rdh.rcBound.right, 7);
  EXPECT_EQ(data->rdh.rcBound.bottom, 5);
}

TEST(RegionQueries, InvalidAndDeletedHandles) {
  HRGN r = CreateRectRgn(0, 0, 4, 4);
  EXPECT_TRUE(PtInRegion(r, 0, 0));
  EXPECT_FALSE(PtInRegion(r, 4, 0));
  EXPECT_TRUE(DeleteObject(r));
  EXPECT_FALSE(DeleteObject(r));
  RECT box{};
  for (HRGN bad : {r, static_cast<HRGN>(nullptr)}) {
    EXPECT_FALSE(PtInRegion(bad, 0, 0));
    EXPECT_EQ(GetRgnBox(bad, &box), ERROR);
    EXPECT_EQ(GetRegionData(bad, 0, nullptr), 0u);
    EXPECT_EQ(CombineRgn(bad, bad, bad, RGN_OR), ERROR);
  }
  OwnedRgn live(CreateRectRgn(0, 0, 1, 1));
  EXPECT_EQ(GetRgnBox(live.rgn, nullptr), ERROR);
}
