#include "palette.h"

#include <algorithm>
#include <utility>

#include "median_cut.h"

namespace {

int Channel(uint32_t colour, int channel) {
  return static_cast<int>((colour >> (16 - 8 * channel)) & 0xFF);
}

} // namespace

void AddColours(ColourWeights &weights, const std::vector<uint32_t> &pixels,
                double weightEach) {
  for (uint32_t pixel : pixels) {
    weights[pixel & 0xFFFFFF] += weightEach;
  }
}

Palette BuildPalette(const ColourWeights &weights) {
  // Every colour weighs a little, so no box of the cut is left weightless.
  std::vector<WeightedColour> colours;
  colours.reserve(weights.size());
  for (const auto &[colour, weight] : weights) {
    colours.push_back({colour, std::max(weight, 0.0) + 1e-9});
  }
  // A fixed order, so the same colours always give the same palette.
  std::sort(colours.begin(), colours.end(),
            [](const WeightedColour &a, const WeightedColour &b) {
              return a.rgb < b.rgb;
            });
  Palette palette;
  if (colours.size() <= palette.colours.size()) {
    for (const WeightedColour &c : colours) {
      palette.colours[static_cast<std::size_t>(palette.used++)] = c.rgb;
    }
    return palette;
  }
  const auto level = [](double value) {
    return std::min(static_cast<uint32_t>(value + 0.5), 255u);
  };
  for (const MeanColour &mean : MedianCut(
           std::move(colours), static_cast<int>(palette.colours.size()))) {
    palette.colours[static_cast<std::size_t>(palette.used++)] =
        level(mean.r) << 16 | level(mean.g) << 8 | level(mean.b);
  }
  return palette;
}

PaletteIndexer::PaletteIndexer(const Palette &palette) : palette_(palette) {
  for (int i = palette.used - 1; i >= 0; --i) {
    known_[palette.colours[static_cast<std::size_t>(i)]] =
        static_cast<uint8_t>(i);
  }
}

uint8_t PaletteIndexer::Index(uint32_t colour) {
  colour &= 0xFFFFFF;
  const auto found = known_.find(colour);
  if (found != known_.end()) {
    return found->second;
  }
  int best = 0;
  int bestDistance = 1 << 30;
  for (int i = 0; i < std::max(palette_.used, 1); ++i) {
    int distance = 0;
    for (int channel = 0; channel < 3; ++channel) {
      const int d =
          Channel(colour, channel) -
          Channel(palette_.colours[static_cast<std::size_t>(i)], channel);
      distance += d * d;
    }
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  known_[colour] = static_cast<uint8_t>(best);
  return static_cast<uint8_t>(best);
}
