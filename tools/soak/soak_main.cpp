// gushmire-soak: plays N animation steps at WxH on the headless display and
// fails if the live-object count or resident memory grows, or a series
// stalls. Twenty reports are printed along the way.
#include <chrono>
#include <cstdio>

#include "animation.h"
#include "layer_headless.h"
#include "run_options.h"
#include "saver_session.h"
#include "series.h"

namespace {

// A figure that may rise while caches fill during the first half of the run
// but must then stay within `slack` of the first half's peak.
struct FlatFigure {
  const char *name;
  std::size_t slack;
  std::size_t firstHalfPeak = 0;

  bool Check(std::size_t value, bool firstHalf) {
    if (firstHalf) {
      firstHalfPeak = value > firstHalfPeak ? value : firstHalfPeak;
      return true;
    }
    if (value <= firstHalfPeak + slack) {
      return true;
    }
    std::fprintf(stderr,
                 "gushmire-soak: %s grew to %zu KiB (first half's "
                 "peak %zu KiB)\n",
                 name, value / 1024, firstHalfPeak / 1024);
    return false;
  }
};

int Soak(const RunOptions &options) {
  const HWND window = OpenSaverSurface(options.width, options.height, nullptr);
  if (window == nullptr) {
    std::fprintf(stderr, "gushmire-soak: no window of %dx%d\n", options.width,
                 options.height);
    return 1;
  }
  StartSaverSession(window, options.seed, options.preview);
  const std::size_t objects = platform::LiveObjectCount();
  const long bound = SeriesStepBound(options.width, options.height);
  const long every = options.steps >= 20 ? options.steps / 20 : 1;
  const auto start = std::chrono::steady_clock::now();
  std::printf("%12s %8s %8s %12s %12s %10s\n", "step", "series", "objects",
              "heap", "resident", "seconds");
  FlatFigure heap{"heap in use", 64 * 1024};
  FlatFigure resident{"resident memory", 4096 * 1024};
  long series = 0;
  long sinceSeries = 0;
  int status = 0;
  for (long step = 1; step <= options.steps && status == 0; ++step) {
    const LONG phase = animationPhase;
    AnimationStep(window);
    ++sinceSeries;
    if (phase == SwitchMode) {
      ++series;
      sinceSeries = 0;
    } else if (sinceSeries > bound) {
      std::fprintf(stderr, "gushmire-soak: series %ld stalled in phase %ld\n",
                   series + 1, static_cast<long>(phase));
      status = 1;
    }
    if (step % every != 0 && step != options.steps) {
      continue;
    }
    const std::size_t live = platform::LiveObjectCount();
    const std::size_t heapBytes = HeapBytes();
    const std::size_t residentKiB = ResidentKiB();
    const std::chrono::duration<double> elapsed =
        std::chrono::steady_clock::now() - start;
    std::printf("%12ld %8ld %8zu %10zuKi %10zuKi %10.1f\n", step, series, live,
                heapBytes / 1024, residentKiB, elapsed.count());
    std::fflush(stdout);
    const bool firstHalf = step <= options.steps / 2;
    if (!heap.Check(heapBytes, firstHalf) ||
        (ResidentIsMeaningful() &&
         !resident.Check(residentKiB * 1024, firstHalf))) {
      status = 1;
    }
    if (live != objects) {
      std::fprintf(stderr, "gushmire-soak: %zu live objects, %zu at start\n",
                   live, objects);
      status = 1;
    }
  }
  CloseSaverSurface(window);
  if (status == 0 && platform::LiveObjectCount() != 0) {
    std::fprintf(stderr, "gushmire-soak: %zu objects left after closing\n",
                 platform::LiveObjectCount());
    status = 1;
  }
  return status;
}

} // namespace

int main(int argc, char **argv) {
  return Soak(TraceArgumentsOrExit(argc, argv));
}
