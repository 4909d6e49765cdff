// Prints CreateEllipticRgn results as GetRegionData reports them, one box a
// line, for a fixed set of boxes: every box from 0x0 to 40x40 at the origin,
// boxes off the origin and reversed, narrow tall boxes and pseudo-random
// boxes up to screen size. Lines: "rgn LEFT TOP RIGHT BOTTOM" and the region
// as region_text.h writes it, or "undefined" for a box whose region Wine 8
// leaves partly unset (see RowsLeftUnset); "region_dump --all" prints those
// in full too, garbage included.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "region_text.h"
#include "winapi.h"

namespace {

bool printAll = false;

// Fixed seed so every run dumps the same cases.
int Random(int low, int high) {
  static unsigned int state = 20260601u;
  state = state * 1103515245u + 12345u;
  const unsigned span = static_cast<unsigned>(high - low + 1);
  return low + static_cast<int>((state >> 8) % span);
}

// Boxes this tall for their width, where Wine 8's row walk stops early and
// leaves rows unset (region_reference_test); the bound holds exactly for
// every width up to 80 and height up to 2400.
bool RowsLeftUnset(int left, int top, int right, int bottom) {
  const long width = std::labs(static_cast<long>(right) - left);
  const long height = std::labs(static_cast<long>(bottom) - top);
  return width >= 3 &&
         height >= std::max(4L, 2 * width * width - 8 * width + 9);
}

void DumpBox(int left, int top, int right, int bottom) {
  std::printf("rgn %d %d %d %d", left, top, right, bottom);
  if (!printAll && RowsLeftUnset(left, top, right, bottom)) {
    std::printf(" undefined\n");
    return;
  }
  HRGN region = CreateEllipticRgn(left, top, right, bottom);
  std::printf("%s\n", region ? RegionText(region).c_str() : " failed");
  DeleteObject(region);
}

} // namespace

int main(int argc, char **argv) {
  printAll = argc > 1 && std::strcmp(argv[1], "--all") == 0;
  for (int w = 0; w <= 40; ++w) {
    for (int h = 0; h <= 40; ++h) {
      DumpBox(0, 0, w, h);
    }
  }

  // Off the origin, on negative coordinates, and with the corners given in
  // every order: the box is normalised before the ellipse is built.
  const int sizes[] = {1, 2, 3, 5, 8, 13, 21, 34};
  const int origins[] = {-37, -1, 7};
  for (int x : origins) {
    for (int y : origins) {
      for (int w : sizes) {
        for (int h : sizes) {
          DumpBox(x, y, x + w, y + h);
        }
      }
    }
  }
  for (int w : sizes) {
    for (int h : sizes) {
      DumpBox(w - 3, -4, -3, h - 4);
      DumpBox(-3, h - 4, w - 3, -4);
      DumpBox(w - 3, h - 4, -3, -4);
    }
  }

  // Narrow, tall (and short, wide) boxes.
  const int longSides[] = {50, 64, 100, 199, 200, 401, 768, 1080};
  for (int narrow = 1; narrow <= 8; ++narrow) {
    for (int length : longSides) {
      DumpBox(10, 20, 10 + narrow, 20 + length);
      DumpBox(20, 10, 20 + length, 10 + narrow);
    }
  }

  // Boxes anywhere on and around a large screen, mostly small like droplets
  // and drips, some as large as the screen.
  for (int i = 0; i < 700; ++i) {
    const int left = Random(-300, 2100);
    const int top = Random(-300, 1300);
    const int kind = Random(0, 9);
    const int maxWidth = kind < 6 ? 60 : (kind < 9 ? 400 : 1920);
    const int maxHeight = kind < 6 ? 60 : (kind < 9 ? 400 : 1080);
    const int width = Random(1, maxWidth);
    const int height = Random(1, maxHeight);
    if (Random(0, 7) == 0) {
      DumpBox(left + width, top + height, left, top);
    } else {
      DumpBox(left, top, left + width, top + height);
    }
  }
  return 0;
}
