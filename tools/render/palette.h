// One global GIF palette for a run: its colours exactly when there are at
// most 256 of them, otherwise a weighted median cut.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

// Distinct 0x00RRGGBB colours with weights (how much of the run shows them).
using ColourWeights = std::unordered_map<uint32_t, double>;

void AddColours(ColourWeights &weights, const std::vector<uint32_t> &pixels,
                double weightEach);

struct Palette {
  std::array<uint32_t, 256> colours{}; // unused entries are black
  int used = 0;
};

Palette BuildPalette(const ColourWeights &weights);

// Maps colours to palette indices: exact where the colour is in the
// palette, otherwise the nearest entry (remembered per colour).
class PaletteIndexer {
public:
  explicit PaletteIndexer(const Palette &palette);
  uint8_t Index(uint32_t colour);

private:
  Palette palette_;
  std::unordered_map<uint32_t, uint8_t> known_;
};
