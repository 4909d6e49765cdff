// gushmire-sweep: one whole series on each window size of the sets named
// on the command line. Fails if a phase never comes round or a series
// stalls; prints each size's slowest step against its share of the
// slowest step of the largest size in the run (a figure, not a verdict).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "animation.h"
#include "layer_headless.h"
#include "saver_session.h"
#include "series.h"

namespace {

struct Size {
  int width, height;
};

// Sides of the grid above the small sizes, roughly 1.6 apart.
constexpr int gridSides[] = {64,   100,  160,  256,  400,  640,
                             1024, 1600, 2560, 4096, 6000, 8192};

bool AddSet(const char *name, std::vector<Size> &sizes) {
  if (std::strcmp(name, "small") == 0) {
    for (int w = 1; w <= 64; ++w) {
      for (int h = 1; h <= 64; ++h) {
        sizes.push_back({w, h});
      }
    }
  } else if (std::strcmp(name, "edges") == 0) {
    // Where a divisor of the cycle reaches 0: W below 40, H below 10.
    for (int w = 1; w <= 40; ++w) {
      for (int h = 1; h <= 10; ++h) {
        sizes.push_back({w, h});
      }
    }
  } else if (std::strcmp(name, "grid") == 0) {
    for (int w : gridSides) {
      for (int h : gridSides) {
        sizes.push_back({w, h});
      }
    }
  } else if (std::strcmp(name, "extremes") == 0) {
    sizes.insert(sizes.end(), {{1, 8192},
                               {8192, 1},
                               {65535, 1},
                               {1, 65535},
                               {2, 8192},
                               {8192, 2},
                               {65535, 3}});
  } else if (std::strcmp(name, "ci") == 0) {
    // What CI can afford: every small size (the edges among them), the
    // grid up to 1600 and the extremes.
    AddSet("small", sizes);
    for (int w : gridSides) {
      for (int h : gridSides) {
        if (w <= 1600 && h <= 1600) {
          sizes.push_back({w, h});
        }
      }
    }
    return AddSet("extremes", sizes);
  } else {
    int w = 0;
    int h = 0;
    char end = 0;
    if (std::sscanf(name, "%dx%d%c", &w, &h, &end) != 2 || w < 1 || h < 1 ||
        w > 65535 || h > 65535) {
      return false;
    }
    sizes.push_back({w, h});
  }
  return true;
}

struct Outcome {
  bool complete = false;
  long steps = 0;
  double slowest = 0; // seconds
  LONG slowestPhase = 0;
};

// CPU time of this thread: on a shared machine wall time would charge the
// step with whatever else ran meanwhile.
double ThreadSeconds() {
  timespec now = {};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) +
         static_cast<double>(now.tv_nsec) * 1e-9;
}

// Plays the series once, keeping each step's time in `times` (or, when it
// already holds a run, the smaller of the two times).
Outcome PlaySeries(const Size &size, std::vector<double> &times,
                   std::vector<LONG> &phases) {
  Outcome outcome;
  const HWND window = OpenSaverSurface(size.width, size.height, nullptr);
  if (window == nullptr) {
    return outcome;
  }
  StartSaverSession(window,
                    static_cast<DWORD>(size.width) * 7919u +
                        static_cast<DWORD>(size.height),
                    false);
  const long bound = SeriesStepBound(size.width, size.height);
  const bool again = !times.empty();
  unsigned seen = 0;
  while (outcome.steps < bound) {
    const LONG phase = animationPhase;
    const double start = ThreadSeconds();
    AnimationStep(window);
    const double took = ThreadSeconds() - start;
    const auto index = static_cast<std::size_t>(outcome.steps++);
    if (!again) {
      times.push_back(took);
      phases.push_back(phase);
    } else if (index < times.size()) {
      times[index] = std::min(times[index], took);
    }
    if (phase < 0 || phase > SwitchMode) {
      break;
    }
    seen |= 1u << phase;
    if (phase == SwitchMode) {
      outcome.complete = seen == 0x1FFu;
      break;
    }
  }
  CloseSaverSurface(window);
  return outcome;
}

// The series is played twice and each step keeps its faster time, so that
// a page fault or a preemption on a busy machine does not pass for the
// slowest step.
Outcome RunSeries(const Size &size) {
  std::vector<double> times;
  std::vector<LONG> phases;
  Outcome outcome = PlaySeries(size, times, phases);
  if (outcome.complete) {
    PlaySeries(size, times, phases);
  }
  for (std::size_t i = 0; i < times.size(); ++i) {
    if (times[i] > outcome.slowest) {
      outcome.slowest = times[i];
      outcome.slowestPhase = phases[i];
    }
  }
  return outcome;
}

} // namespace

int main(int argc, char **argv) {
  std::vector<Size> sizes;
  for (int i = 1; i < argc; ++i) {
    if (!AddSet(argv[i], sizes)) {
      std::fprintf(stderr,
                   "usage: gushmire-sweep {small|edges|grid|extremes|ci|WxH}"
                   "... (W and H 1..65535)\n");
      return 2;
    }
  }
  if (sizes.empty()) {
    std::fprintf(stderr, "gushmire-sweep: no sizes given\n");
    return 2;
  }
  // The largest area first, so every later size has its share to compare
  // with; a 1x1 run gives the fixed cost of a step.
  const auto area = [](const Size &s) {
    return static_cast<double>(s.width) * static_cast<double>(s.height);
  };
  std::stable_sort(
      sizes.begin(), sizes.end(),
      [&](const Size &a, const Size &b) { return area(a) > area(b); });
  RunSeries({1, 1}); // decodes the bitmaps once
  const double fixedCost = RunSeries({1, 1}).slowest;
  const double largestArea = area(sizes.front());
  double largestSlowest = 0;
  int faults = 0;
  long over = 0;
  std::printf("%13s %8s %12s %6s %12s %6s\n", "size", "steps", "slowest_us",
              "phase", "share_us", "ratio");
  for (const Size &size : sizes) {
    const Outcome outcome = RunSeries(size);
    if (&size == &sizes.front()) {
      largestSlowest = outcome.slowest;
    }
    // Proportional to the area, plus the fixed cost of any step.
    const double share = largestSlowest * area(size) / largestArea + fixedCost;
    const double ratio = outcome.slowest / share;
    over += ratio > 1.0 ? 1 : 0;
    std::printf("%6dx%-6d %8ld %12.1f %6ld %12.1f %6.2f%s\n", size.width,
                size.height, outcome.steps, outcome.slowest * 1e6,
                static_cast<long>(outcome.slowestPhase), share * 1e6, ratio,
                outcome.complete ? "" : "  FAULT");
    std::fflush(stdout);
    faults += outcome.complete ? 0 : 1;
  }
  std::printf("%zu sizes, %d without every phase or stalled, %ld slower than "
              "their share; fixed cost %.1f us\n",
              sizes.size(), faults, over, fixedCost * 1e6);
  return faults == 0 ? 0 : 1;
}
