// A region as the region dump prints it, shared with the native comparison:
// " TYPE COUNT BL BT BR BB" and COUNT rectangles " left top right bottom",
// where TYPE and BL..BB are GetRgnBox's result and box and the rectangles
// are GetRegionData's, in its order.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "winapi.h"

inline void AddNumbers(std::string &text, std::initializer_list<long> values) {
  for (long v : values) {
    text.append(" ").append(std::to_string(v));
  }
}

inline std::string RegionText(HRGN region) {
  RECT box{};
  const int type = GetRgnBox(region, &box);
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<unsigned char> buffer(size + sizeof(RGNDATA));
  auto *data = reinterpret_cast<RGNDATA *>(buffer.data());
  const DWORD count = GetRegionData(region, size, data) ? data->rdh.nCount : 0;
  std::string text;
  AddNumbers(text, {type, static_cast<long>(count), box.left, box.top,
                    box.right, box.bottom});
  const auto *rects = reinterpret_cast<const RECT *>(data->Buffer);
  for (DWORD i = 0; i < count; ++i) {
    AddNumbers(text,
               {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom});
  }
  return text;
}
