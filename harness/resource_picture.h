// The program's bitmap resources decoded to 32-bit pixels, for the tests,
// tools and benchmarks that need their colours or a ready-made copy source.
#pragma once

#include <cstdint>
#include <vector>

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels; // 0x00RRGGBB, row 0 on top
};

// The names of the twelve bitmaps.
extern const char *const pictureNames[12];

// Decodes the 8-bit bitmap resource `name` of the main module (header,
// 256-entry colour table, pixels at byte 1064). False, leaving `out` empty,
// if it is missing or not such a bitmap.
bool LoadPictureResource(const char *name, Picture &out);
