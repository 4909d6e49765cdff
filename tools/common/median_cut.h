// The weighted median cut that both the picture generator (seeds for its
// 256-colour tables) and the renderer (the GIF palette) reduce colours with.
#pragma once

#include <cstdint>
#include <vector>

struct WeightedColour {
  uint32_t rgb; // 0x00RRGGBB
  double weight;
};

// A box's weighted mean, each channel in 0..255.
struct MeanColour {
  double r, g, b;
};

// Splits the colours into at most `count` boxes, each time cutting the box
// with the largest weight times squared extent along its widest channel, at
// the weighted median of that channel; gives the mean of every box that
// weighs anything. The same input, in the same order, gives the same
// boxes.
std::vector<MeanColour> MedianCut(std::vector<WeightedColour> colours,
                                  int count);
