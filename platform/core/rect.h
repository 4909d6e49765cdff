// Rectangle helpers for the layer and its backends.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "winapi.h"

namespace platform::detail {

inline RECT Intersect(const RECT &a, const RECT &b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top),
              std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}
inline bool Empty(const RECT &r) {
  return r.left >= r.right || r.top >= r.bottom;
}

// Adds `box` to damage boxes: one inside a box held adds nothing, and more
// than `most` become their bounding box (copying a little more is cheaper
// than many small requests).
inline void AddDamage(std::vector<RECT> &boxes, const RECT &box,
                      std::size_t most) {
  if (Empty(box)) {
    return;
  }
  for (const RECT &held : boxes) {
    if (held.left <= box.left && held.top <= box.top &&
        held.right >= box.right && held.bottom >= box.bottom) {
      return;
    }
  }
  boxes.push_back(box);
  if (boxes.size() > most) {
    RECT all = boxes.front();
    for (const RECT &b : boxes) {
      all = RECT{std::min(all.left, b.left), std::min(all.top, b.top),
                 std::max(all.right, b.right), std::max(all.bottom, b.bottom)};
    }
    boxes.assign(1, all);
  }
}

} // namespace platform::detail
