#include "palette.h"

#include <algorithm>
#include <utility>

namespace {

int Channel(uint32_t colour, int channel) {
  return static_cast<int>((colour >> (16 - 8 * channel)) & 0xFF);
}

struct Counted {
  uint32_t colour;
  double weight;
};

// A box of the median cut: a range of `colours`.
struct Box {
  std::size_t begin;
  std::size_t end;
  double weight;
  int widestChannel;
  int width;
};

Box MakeBox(const std::vector<Counted> &colours, std::size_t begin,
            std::size_t end) {
  Box box{begin, end, 0.0, 0, -1};
  for (int channel = 0; channel < 3; ++channel) {
    int low = 255;
    int high = 0;
    for (std::size_t i = begin; i < end; ++i) {
      const int value = Channel(colours[i].colour, channel);
      low = std::min(low, value);
      high = std::max(high, value);
    }
    if (high - low > box.width) {
      box.width = high - low;
      box.widestChannel = channel;
    }
  }
  for (std::size_t i = begin; i < end; ++i) {
    box.weight += colours[i].weight;
  }
  return box;
}

// Splits at the weighted median of the widest channel; both halves keep at
// least one colour.
std::pair<Box, Box> Split(std::vector<Counted> &colours, const Box &box) {
  const int channel = box.widestChannel;
  std::sort(colours.begin() + static_cast<std::ptrdiff_t>(box.begin),
            colours.begin() + static_cast<std::ptrdiff_t>(box.end),
            [channel](const Counted &a, const Counted &b) {
              return Channel(a.colour, channel) < Channel(b.colour, channel);
            });
  double below = 0.0;
  std::size_t cut = box.begin + 1;
  for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
    below += colours[i].weight;
    cut = i + 1;
    if (below * 2.0 >= box.weight) {
      break;
    }
  }
  return {MakeBox(colours, box.begin, cut), MakeBox(colours, cut, box.end)};
}

uint32_t Mean(const std::vector<Counted> &colours, const Box &box) {
  double sums[3] = {0.0, 0.0, 0.0};
  double total = 0.0;
  for (std::size_t i = box.begin; i < box.end; ++i) {
    // Every colour counts a little, so zero weights cannot make 0 / 0.
    const double weight = colours[i].weight + 1e-9;
    total += weight;
    for (int channel = 0; channel < 3; ++channel) {
      sums[channel] += weight * Channel(colours[i].colour, channel);
    }
  }
  uint32_t colour = 0;
  for (int channel = 0; channel < 3; ++channel) {
    const auto value = static_cast<uint32_t>(sums[channel] / total + 0.5);
    colour = (colour << 8) | std::min(value, 255u);
  }
  return colour;
}

} // namespace

void AddColours(ColourWeights &weights, const std::vector<uint32_t> &pixels,
                double weightEach) {
  for (uint32_t pixel : pixels) {
    weights[pixel & 0xFFFFFF] += weightEach;
  }
}

Palette BuildPalette(const ColourWeights &weights) {
  std::vector<Counted> colours;
  colours.reserve(weights.size());
  for (const auto &[colour, weight] : weights) {
    colours.push_back({colour, std::max(weight, 0.0)});
  }
  // A fixed order, so the same colours always give the same palette.
  std::sort(
      colours.begin(), colours.end(),
      [](const Counted &a, const Counted &b) { return a.colour < b.colour; });
  Palette palette;
  if (colours.size() <= palette.colours.size()) {
    for (const Counted &counted : colours) {
      palette.colours[static_cast<std::size_t>(palette.used++)] =
          counted.colour;
    }
    return palette;
  }
  std::vector<Box> boxes = {MakeBox(colours, 0, colours.size())};
  while (boxes.size() < palette.colours.size()) {
    // The box whose colours are heaviest and most spread is cut next.
    auto heaviest = boxes.end();
    double best = -1.0;
    for (auto box = boxes.begin(); box != boxes.end(); ++box) {
      const double score = (box->weight + 1e-9) * box->width;
      if (box->end - box->begin > 1 && box->width > 0 && score > best) {
        best = score;
        heaviest = box;
      }
    }
    if (heaviest == boxes.end()) {
      break;
    }
    auto [low, high] = Split(colours, *heaviest);
    *heaviest = low;
    boxes.push_back(high);
  }
  for (const Box &box : boxes) {
    palette.colours[static_cast<std::size_t>(palette.used++)] =
        Mean(colours, box);
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
