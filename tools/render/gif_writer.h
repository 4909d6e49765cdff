// Animated GIF output (giflib): one global palette, looping forever, each
// frame only the rectangle that changed since the one before.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "palette.h"

struct GifFileType;

struct GifWriter {
  GifFileType *file = nullptr;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> previous; // indices of the last frame, empty at first
  std::vector<uint8_t> current;
  bool failed = false;
};

// Starts a width by height GIF; false (nothing left open) on failure.
bool OpenGif(GifWriter &gif, const std::string &path, int width, int height,
             const Palette &palette);
// Adds a frame of `source` (sourceWidth by sourceHeight pixels 0x00RRGGBB)
// scaled by nearest neighbour to the GIF's size, shown for `delay`
// hundredths of a second.
bool AddGifFrame(GifWriter &gif, PaletteIndexer &indexer,
                 const uint32_t *source, int sourceWidth, int sourceHeight,
                 int delay);
// Finishes the file; false if anything failed along the way.
bool CloseGif(GifWriter &gif);
