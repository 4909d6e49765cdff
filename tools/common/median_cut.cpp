#include "median_cut.h"

#include <algorithm>
#include <cstddef>

namespace {

using Box = std::vector<WeightedColour>;

int Channel(uint32_t rgb, int axis) {
  return static_cast<int>((rgb >> (16 - 8 * axis)) & 0xFF);
}

// Weight times the squared extent along the widest axis; 0 if unsplittable.
double BoxScore(const Box &box, int &axis) {
  int lo[3] = {255, 255, 255};
  int hi[3] = {0, 0, 0};
  double weight = 0;
  for (const WeightedColour &c : box) {
    for (int a = 0; a < 3; ++a) {
      lo[a] = std::min(lo[a], Channel(c.rgb, a));
      hi[a] = std::max(hi[a], Channel(c.rgb, a));
    }
    weight += c.weight;
  }
  axis = 0;
  for (int a = 1; a < 3; ++a) {
    if (hi[a] - lo[a] > hi[axis] - lo[axis]) {
      axis = a;
    }
  }
  const double extent = hi[axis] - lo[axis];
  return box.size() < 2 ? 0.0 : weight * extent * extent;
}

} // namespace

std::vector<MeanColour> MedianCut(std::vector<WeightedColour> colours,
                                  int count) {
  std::vector<Box> boxes;
  boxes.push_back(std::move(colours));
  while (static_cast<int>(boxes.size()) < count) {
    std::size_t pick = 0;
    int axis = 0;
    double best = -1;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      int a = 0;
      const double score = BoxScore(boxes[i], a);
      if (score > best) {
        best = score;
        pick = i;
        axis = a;
      }
    }
    if (best <= 0) {
      break;
    }
    Box &box = boxes[pick];
    std::stable_sort(box.begin(), box.end(),
                     [axis](const WeightedColour &a, const WeightedColour &b) {
                       return Channel(a.rgb, axis) < Channel(b.rgb, axis);
                     });
    double total = 0;
    for (const WeightedColour &c : box) {
      total += c.weight;
    }
    double running = 0;
    std::size_t cut = 1;
    for (; cut < box.size() - 1; ++cut) {
      running += box[cut - 1].weight;
      if (running >= total / 2) {
        break;
      }
    }
    Box upper(box.begin() + static_cast<std::ptrdiff_t>(cut), box.end());
    box.resize(cut);
    boxes.push_back(std::move(upper));
  }
  std::vector<MeanColour> means;
  for (const Box &box : boxes) {
    double r = 0, g = 0, b = 0, weight = 0;
    for (const WeightedColour &c : box) {
      r = r + Channel(c.rgb, 0) * 1.0 * c.weight;
      g = g + Channel(c.rgb, 1) * 1.0 * c.weight;
      b = b + Channel(c.rgb, 2) * 1.0 * c.weight;
      weight += c.weight;
    }
    if (weight > 0) {
      const double scale = 1.0 / weight;
      means.push_back({r * scale, g * scale, b * scale});
    }
  }
  return means;
}
