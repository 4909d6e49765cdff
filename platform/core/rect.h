// Rectangle helpers for the layer and its backends.
#pragma once

#include <algorithm>

#include "winapi.h"

namespace platform::detail {

inline RECT Intersect(const RECT &a, const RECT &b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top),
              std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}
inline bool Empty(const RECT &r) {
  return r.left >= r.right || r.top >= r.bottom;
}

} // namespace platform::detail
