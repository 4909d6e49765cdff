#include "quantize.h"

#include <algorithm>
#include <map>

#include "median_cut.h"

namespace pictures {

Colour8 ToColour8(Rgb c) {
  auto level = [](double v) {
    return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0));
  };
  return {level(c.x), level(c.y), level(c.z)};
}

int DistanceSquared(Colour8 a, Colour8 b) {
  const int dr = a.r - b.r;
  const int dg = a.g - b.g;
  const int db = a.b - b.b;
  return dr * dr + dg * dg + db * db;
}

std::vector<Counted> Histogram(const std::vector<Colour8> &pixels) {
  std::vector<uint32_t> keys;
  keys.reserve(pixels.size());
  for (const Colour8 &c : pixels)
    keys.push_back(static_cast<uint32_t>(c.r) << 16 |
                   static_cast<uint32_t>(c.g) << 8 | c.b);
  std::sort(keys.begin(), keys.end());
  std::vector<Counted> out;
  for (std::size_t i = 0; i < keys.size();) {
    std::size_t j = i;
    while (j < keys.size() && keys[j] == keys[i])
      ++j;
    const uint32_t k = keys[i];
    out.push_back({{static_cast<uint8_t>(k >> 16), static_cast<uint8_t>(k >> 8),
                    static_cast<uint8_t>(k)},
                   static_cast<double>(j - i)});
    i = j;
  }
  return out;
}

int Nearest(const Table &table, Colour8 c) {
  int best = 0;
  int bestDistance = DistanceSquared(table[0], c);
  for (int i = 1; i < 256 && bestDistance > 0; ++i) {
    const int d = DistanceSquared(table[static_cast<std::size_t>(i)], c);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

namespace {

// Nearest-entry search over a table sorted by red, stopping once the red
// difference alone exceeds the best distance. Same answers as Nearest().
class NearestFinder {
public:
  explicit NearestFinder(const Table &table) : table_(table) {
    for (int i = 0; i < 256; ++i)
      order_[static_cast<std::size_t>(i)] = i;
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
      return table[static_cast<std::size_t>(a)].r <
             table[static_cast<std::size_t>(b)].r;
    });
  }

  int Find(Colour8 c) const {
    // First position whose red is >= c.r.
    int lo = 0;
    int hi = 256;
    while (lo < hi) {
      const int mid = (lo + hi) / 2;
      if (Entry(mid).r < c.r)
        lo = mid + 1;
      else
        hi = mid;
    }
    int best = -1;
    int bestDistance = 1 << 30;
    auto consider = [&](int pos) {
      const int index = order_[static_cast<std::size_t>(pos)];
      const int d = DistanceSquared(Entry(pos), c);
      if (d < bestDistance || (d == bestDistance && index < best)) {
        bestDistance = d;
        best = index;
      }
    };
    for (int up = lo, down = lo - 1; up < 256 || down >= 0;) {
      bool progressed = false;
      if (up < 256) {
        const int dr = Entry(up).r - c.r;
        if (dr * dr <= bestDistance) {
          consider(up++);
          progressed = true;
        } else {
          up = 256;
        }
      }
      if (down >= 0) {
        const int dr = c.r - Entry(down).r;
        if (dr * dr <= bestDistance) {
          consider(down--);
          progressed = true;
        } else {
          down = -1;
        }
      }
      if (!progressed)
        break;
    }
    return best;
  }

private:
  const Colour8 &Entry(int pos) const {
    return table_[static_cast<std::size_t>(
        order_[static_cast<std::size_t>(pos)])];
  }
  const Table &table_;
  std::array<int, 256> order_{};
};

// Median cut boxes of the colours, as seeds for the k-means that follows.
std::vector<Rgb> Seeds(const std::vector<Counted> &colours, int count) {
  std::vector<WeightedColour> weighted;
  weighted.reserve(colours.size());
  for (const Counted &c : colours) {
    weighted.push_back({static_cast<uint32_t>(c.colour.r) << 16 |
                            static_cast<uint32_t>(c.colour.g) << 8 | c.colour.b,
                        c.weight});
  }
  std::vector<Rgb> seeds;
  for (const MeanColour &mean : MedianCut(std::move(weighted), count))
    seeds.push_back({mean.r, mean.g, mean.b});
  return seeds;
}

Colour8 Round(Rgb c) {
  auto level = [](double v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
  };
  return {level(c.x), level(c.y), level(c.z)};
}

// The colour served worst by `table`, skipping colours already entries.
std::size_t WorstServed(const std::vector<Counted> &colours, const Table &table,
                        const std::vector<int> &distances) {
  std::size_t worst = 0;
  int worstDistance = -1;
  for (std::size_t i = 0; i < colours.size(); ++i)
    if (distances[i] > worstDistance &&
        std::find(table.begin(), table.end(), colours[i].colour) ==
            table.end()) {
      worstDistance = distances[i];
      worst = i;
    }
  return worst;
}

} // namespace

Table BuildTable(const std::vector<Counted> &colours,
                 const std::vector<Pinned> &pinned, int captureRadius) {
  std::array<bool, 256> fixed{};
  Table table{};
  for (const Pinned &p : pinned) {
    fixed[static_cast<std::size_t>(p.index)] = true;
    table[static_cast<std::size_t>(p.index)] = p.colour;
  }
  std::vector<std::size_t> free;
  for (std::size_t i = 0; i < 256; ++i)
    if (!fixed[i])
      free.push_back(i);

  // Seeds: median cut boxes, then unused greys for any slots left over.
  const std::vector<Rgb> seeds = Seeds(colours, static_cast<int>(free.size()));
  std::array<Rgb, 256> centres{};
  for (std::size_t i = 0; i < 256; ++i)
    centres[i] = {table[i].r * 1.0, table[i].g * 1.0, table[i].b * 1.0};
  for (std::size_t k = 0; k < free.size(); ++k)
    centres[free[k]] = k < seeds.size() ? seeds[k] : Rgb{-1, -1, -1};

  std::vector<int> owner(colours.size());
  std::vector<int> distance(colours.size());
  // While iterating, colours close to a pinned entry stay with it, so that
  // free entries are not drawn in to crowd it out.
  const int capture = captureRadius * captureRadius;
  auto assign = [&](bool final) {
    for (std::size_t i = 0; i < 256; ++i)
      table[i] = fixed[i] ? table[i] : Round(centres[i]);
    const NearestFinder finder(table);
    for (std::size_t c = 0; c < colours.size(); ++c) {
      owner[c] = -1;
      for (const Pinned &p : pinned)
        if (!final && DistanceSquared(p.colour, colours[c].colour) <= capture)
          owner[c] = p.index;
      if (owner[c] < 0)
        owner[c] = finder.Find(colours[c].colour);
      distance[c] = DistanceSquared(table[static_cast<std::size_t>(owner[c])],
                                    colours[c].colour);
    }
  };

  for (int pass = 0; pass < 16; ++pass) {
    assign(false);
    std::array<Rgb, 256> sum{};
    std::array<double, 256> weight{};
    for (std::size_t c = 0; c < colours.size(); ++c) {
      const auto o = static_cast<std::size_t>(owner[c]);
      const Colour8 &col = colours[c].colour;
      sum[o] = sum[o] +
               Rgb{col.r * 1.0, col.g * 1.0, col.b * 1.0} * colours[c].weight;
      weight[o] += colours[c].weight;
    }
    bool moved = false;
    for (std::size_t i : free) {
      if (weight[i] > 0) {
        centres[i] = sum[i] * (1.0 / weight[i]);
        continue;
      }
      // An idle entry moves to the colour served worst.
      const std::size_t worst = WorstServed(colours, table, distance);
      if (colours.empty() || distance[worst] == 0)
        continue;
      const Colour8 &col = colours[worst].colour;
      centres[i] = {col.r * 1.0, col.g * 1.0, col.b * 1.0};
      table[i] = col;
      distance[worst] = 0;
      moved = true;
    }
    if (!moved && pass >= 10)
      break;
  }
  assign(true);

  // Entries must be distinct: fill duplicates and idle slots with colours
  // nobody uses, darkest first so they stay out of the way.
  for (std::size_t i : free) {
    bool clash = false;
    for (std::size_t j = 0; j < 256; ++j)
      clash = clash || (j != i && table[j] == table[i] && (j < i || fixed[j]));
    if (!clash)
      continue;
    for (int level = 0; level < 256 * 256 * 256; ++level) {
      const Colour8 c{static_cast<uint8_t>(level & 255),
                      static_cast<uint8_t>((level >> 8) & 255),
                      static_cast<uint8_t>(level >> 16)};
      if (std::find(table.begin(), table.end(), c) == table.end()) {
        table[i] = c;
        break;
      }
    }
  }
  // Free entries in order of brightness: tidier to look at, same colours.
  std::vector<Colour8> ordered;
  for (std::size_t i : free)
    ordered.push_back(table[i]);
  std::stable_sort(ordered.begin(), ordered.end(), [](Colour8 a, Colour8 b) {
    const int la = 299 * a.r + 587 * a.g + 114 * a.b;
    const int lb = 299 * b.r + 587 * b.g + 114 * b.b;
    return la != lb ? la < lb : DistanceSquared(a, {}) < DistanceSquared(b, {});
  });
  for (std::size_t k = 0; k < free.size(); ++k)
    table[free[k]] = ordered[k];
  return table;
}

Quantized QuantizePicture(const Image &image) {
  std::vector<Colour8> pixels;
  pixels.reserve(image.pixels.size());
  for (const Rgb &p : image.pixels)
    pixels.push_back(ToColour8(p));
  const Table table =
      BuildTable(Histogram(pixels), {{255, {255, 255, 255}}}, 0);
  Quantized q{table, {}};
  q.indices.reserve(pixels.size());
  // Many pixels share a colour; remember the answer per colour.
  std::map<uint32_t, uint8_t> cache;
  const NearestFinder finder(table);
  for (const Colour8 &c : pixels) {
    const uint32_t key = static_cast<uint32_t>(c.r) << 16 |
                         static_cast<uint32_t>(c.g) << 8 | c.b;
    auto it = cache.find(key);
    if (it == cache.end())
      it = cache.emplace(key, static_cast<uint8_t>(finder.Find(c))).first;
    q.indices.push_back(it->second);
  }
  return q;
}

} // namespace pictures
