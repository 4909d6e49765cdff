// Region helpers for the comparisons with Wine: read one of our regions back
// the way the dump reads Wine's, and compare two by the pixels they cover.
#pragma once

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "reference_data.h"
#include "winapi.h"

namespace region_rows {

inline wine_reference::RegionData Read(HRGN region) {
  wine_reference::RegionData data;
  data.type = GetRgnBox(region, &data.box);
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<unsigned char> buffer(std::max<DWORD>(size, sizeof(RGNDATA)));
  auto *raw = reinterpret_cast<RGNDATA *>(buffer.data());
  if (size && GetRegionData(region, size, raw) == size) {
    const auto *rects = reinterpret_cast<const RECT *>(raw->Buffer);
    data.rects.assign(rects, rects + raw->rdh.nCount);
  }
  return data;
}

inline bool SameRect(const RECT &a, const RECT &b) {
  return a.left == b.left && a.top == b.top && a.right == b.right &&
         a.bottom == b.bottom;
}

inline std::string Text(const RECT &r) {
  std::ostringstream out;
  out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom
      << ")";
  return out.str();
}

// "" when type, box and every rectangle agree; else the first difference.
inline std::string ListDifference(const wine_reference::RegionData &wine,
                                  const wine_reference::RegionData &ours) {
  std::ostringstream out;
  if (wine.type != ours.type || !SameRect(wine.box, ours.box)) {
    out << "Wine type " << wine.type << " box " << Text(wine.box)
        << "; ours type " << ours.type << " box " << Text(ours.box);
    return out.str();
  }
  const std::size_t n = std::min(wine.rects.size(), ours.rects.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (!SameRect(wine.rects[i], ours.rects[i])) {
      out << "rectangle " << i << ": Wine " << Text(wine.rects[i]) << " ours "
          << Text(ours.rects[i]);
      return out.str();
    }
  }
  if (wine.rects.size() != ours.rects.size()) {
    out << "Wine has " << wine.rects.size() << " rectangles, ours "
        << ours.rects.size();
  }
  return out.str();
}

// The pixels a rectangle list covers, as sorted [left, right) spans per row.
using Rows = std::map<int, std::vector<std::pair<int, int>>>;
inline Rows Covered(const std::vector<RECT> &rects) {
  Rows rows;
  for (const RECT &rect : rects) {
    for (int y = rect.top; y < rect.bottom && rect.left < rect.right; ++y) {
      rows[y].emplace_back(rect.left, rect.right);
    }
  }
  for (auto &[y, spans] : rows) {
    std::sort(spans.begin(), spans.end());
  }
  return rows;
}

inline std::string Spans(const Rows &rows, int y) {
  const auto it = rows.find(y);
  if (it == rows.end()) {
    return "nothing ";
  }
  std::ostringstream out;
  for (const auto &[left, right] : it->second) {
    out << "[" << left << ", " << right << ") ";
  }
  return out.str();
}

// Call only when the two differ.
inline std::string FirstDifferentRow(const Rows &wine, const Rows &ours) {
  auto w = wine.begin();
  auto o = ours.begin();
  while (w != wine.end() && o != ours.end() && *w == *o) {
    ++w;
    ++o;
  }
  const int y = w == wine.end()   ? o->first
                : o == ours.end() ? w->first
                                  : std::min(w->first, o->first);
  return "row " + std::to_string(y) + ": Wine " + Spans(wine, y) + "ours " +
         Spans(ours, y);
}

} // namespace region_rows
