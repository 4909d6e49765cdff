// Elliptic and combined regions: pixel sets, banding and the queries.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
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
  for (int w = 3; w <= 40; ++w) {
    for (int h = 3; h <= 40; ++h) {
      OwnedRgn e(CreateEllipticRgn(0, 0, w, h));
      RECT box{};
      ASSERT_NE(GetRgnBox(e.rgn, &box), ERROR);
      EXPECT_EQ(box.right, w - 1);
      EXPECT_EQ(box.bottom, h - 1);
      const auto rows = PixelsOf(e.rgn, RECT{-1, -1, w + 1, h + 1});
      for (int y = -1; y <= h; ++y) {
        const std::string &row = rows[static_cast<std::size_t>(y + 1)];
        for (int x = -1; x <= w; ++x) {
          const bool in = row[static_cast<std::size_t>(x + 1)] == '#';
          if (x < 0 || y < 0 || x >= w - 1 || y >= h - 1) {
            EXPECT_FALSE(in) << w << "x" << h << " at " << x << "," << y;
            continue;
          }
          // Mirror images across both axes of the w-1 by h-1 pixel box.
          const int mx = w - 2 - x;
          const int my = h - 2 - y;
          EXPECT_EQ(in, PtInRegion(e.rgn, mx, y) != 0) << w << "x" << h;
          EXPECT_EQ(in, PtInRegion(e.rgn, x, my) != 0) << w << "x" << h;
        }
      }
      // The middle row and column run the full width and height.
      const std::string &middle = rows[static_cast<std::size_t>(h / 2 - 1 + 1)];
      EXPECT_EQ(middle.substr(1, static_cast<std::size_t>(w - 1)),
                std::string(static_cast<std::size_t>(w - 1), '#'));
    }
  }
}

TEST(EllipticRegion, CloseToTheIdealEllipse) {
  for (int w = 8; w <= 120; w += 7) {
    for (int h = 8; h <= 120; h += 9) {
      OwnedRgn e(CreateEllipticRgn(0, 0, w, h));
      const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
      for (int y = 0; y < h - 1; ++y) {
        for (int x = 0; x < w - 1; ++x) {
          const double dx = (x + 0.5 - cx) / cx, dy = (y + 0.5 - cy) / cy;
          const double d = std::sqrt(dx * dx + dy * dy);
          if (d < 0.85) {
            EXPECT_TRUE(PtInRegion(e.rgn, x, y)) << w << "x" << h;
          } else if (d > 1.2) {
            EXPECT_FALSE(PtInRegion(e.rgn, x, y)) << w << "x" << h;
          }
        }
      }
    }
  }
}

TEST(EllipticRegion, OneRectanglePerRowConvexRows) {
  OwnedRgn e(CreateEllipticRgn(10, 20, 61, 44));
  RECT bound{};
  const auto rects = RectsOf(e.rgn, &bound);
  ASSERT_EQ(rects.size(), 23u);
  EXPECT_EQ(bound.left, 10);
  EXPECT_EQ(bound.top, 20);
  EXPECT_EQ(bound.right, 60);
  EXPECT_EQ(bound.bottom, 43);
  for (std::size_t i = 0; i < rects.size(); ++i) {
    EXPECT_EQ(rects[i].top, 20 + static_cast<LONG>(i));
    EXPECT_EQ(rects[i].bottom, rects[i].top + 1);
    // Rows widen towards the middle and narrow after it.
    if (i > 0 && i <= rects.size() / 2) {
      EXPECT_LE(rects[i].left, rects[i - 1].left);
    } else if (i > rects.size() / 2) {
      EXPECT_GE(rects[i].left, rects[i - 1].left);
    }
  }
  EXPECT_EQ(GetRgnBox(e.rgn, &bound), COMPLEXREGION);
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

TEST(EllipticRegion, ReversedAndMovedBoxesGiveTheSameShape) {
  OwnedRgn base(CreateEllipticRgn(0, 0, 31, 17));
  OwnedRgn reversed(CreateEllipticRgn(31, 17, 0, 0));
  EXPECT_TRUE(SameRects(RectsOf(base.rgn), RectsOf(reversed.rgn)));
  OwnedRgn moved(CreateEllipticRgn(-73, -22, -42, -5));
  auto expected = RectsOf(base.rgn);
  for (RECT &r : expected) {
    r.left -= 73;
    r.right -= 73;
    r.top -= 22;
    r.bottom -= 22;
  }
  EXPECT_TRUE(SameRects(expected, RectsOf(moved.rgn)));
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
