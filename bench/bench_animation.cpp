// AnimationStep per phase and a whole series at three screen sizes, each
// next to its floor: a plain nearest-neighbour copy of exactly the pixels
// the step paints, from a bitmap already converted to 32-bit pixels.
#include <benchmark/benchmark.h>

#include <ctime>
#include <string>
#include <vector>

#include "animation_fixture.h"

namespace {

struct Size {
  int width, height;
};
constexpr Size sizes[] = {{640, 480}, {1920, 1080}, {3840, 2160}};

const char *const phaseNames[] = {"PlaceSplat", "GrowSplat", "FinishSplat",
                                  "Burst",      "RunDrips",  "CountSplat",
                                  "SetUpFlood", "RunFlood",  "SwitchMode"};

// The plan of the size measured last; sizes are measured one after another.
SeriesPlan plan;
int planSize = -1;

const SeriesPlan &PlanFor(int size) {
  if (planSize != size) {
    OpenSession(sizes[size].width, sizes[size].height);
    plan = PlanFirstSeries();
    planSize = size;
  }
  return plan;
}

double ProcessSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) +
         1e-9 * static_cast<double>(now.tv_nsec);
}

void Step(benchmark::State &state, int size, int phase) {
  const EngineSnapshot before = PlanFor(size).typical[phase];
  const long pixels = CaptureStep(before).Pixels();
  HWND window = SessionWindow();
  for (auto _ : state) {
    RestoreEngine(before);
    AnimationStep(window);
  }
  state.counters["pixels"] = static_cast<double>(pixels);
}

void StepFloor(benchmark::State &state, int size, int phase) {
  const FloorJob job = CaptureStep(PlanFor(size).typical[phase]);
  std::vector<uint32_t> screen(static_cast<std::size_t>(sizes[size].width) *
                               static_cast<std::size_t>(sizes[size].height));
  std::vector<int> columns;
  for (auto _ : state) {
    CopyFloor(job, columns, screen.data());
    benchmark::ClobberMemory();
  }
  state.counters["pixels"] = static_cast<double>(job.Pixels());
}

// Reports the series' CPU time as a share of the time it plays for.
void ReportSeries(benchmark::State &state, long steps, double seconds) {
  const double playSeconds = 0.1 * static_cast<double>(steps);
  state.counters["steps"] = static_cast<double>(steps);
  state.counters["play_s"] = playSeconds;
  state.counters["cpu_pct_of_play"] = benchmark::Counter(
      100.0 * seconds / playSeconds, benchmark::Counter::kAvgIterations);
}

void Series(benchmark::State &state, int size) {
  const SeriesPlan &series = PlanFor(size);
  HWND window = SessionWindow();
  const double started = ProcessSeconds();
  for (auto _ : state) {
    RestoreEngine(series.start);
    for (long i = 0; i < series.steps; ++i) {
      AnimationStep(window);
    }
  }
  ReportSeries(state, series.steps, ProcessSeconds() - started);
}

void SeriesFloor(benchmark::State &state, int size) {
  const SeriesPlan &series = PlanFor(size);
  std::vector<FloorJob> jobs;
  RestoreEngine(series.start);
  for (long i = 0; i < series.steps; ++i) {
    jobs.push_back(CaptureStep(SaveEngine()));
  }
  std::vector<uint32_t> screen(static_cast<std::size_t>(sizes[size].width) *
                               static_cast<std::size_t>(sizes[size].height));
  std::vector<int> columns;
  const double started = ProcessSeconds();
  for (auto _ : state) {
    for (const FloorJob &job : jobs) {
      CopyFloor(job, columns, screen.data());
    }
    benchmark::ClobberMemory();
  }
  ReportSeries(state, series.steps, ProcessSeconds() - started);
}

int Register() {
  for (int size = 0; size < 3; ++size) {
    std::string at = "/";
    at += std::to_string(sizes[size].width);
    at += 'x';
    at += std::to_string(sizes[size].height);
    for (int phase = 0; phase < 9; ++phase) {
      benchmark::RegisterBenchmark(
          (std::string("AnimationStep/") + phaseNames[phase] + at).c_str(),
          Step, size, phase)
          ->Unit(benchmark::kMicrosecond);
      benchmark::RegisterBenchmark(
          (std::string("Floor/") + phaseNames[phase] + at).c_str(), StepFloor,
          size, phase)
          ->Unit(benchmark::kMicrosecond);
    }
    // A series at 4K takes seconds; once is enough.
    const int repeats = size == 2 ? 1 : 0;
    auto *series = benchmark::RegisterBenchmark(
        (std::string("AnimationSeries") + at).c_str(), Series, size);
    auto *floor = benchmark::RegisterBenchmark(
        (std::string("FloorSeries") + at).c_str(), SeriesFloor, size);
    for (auto *b : {series, floor}) {
      b->Unit(benchmark::kMillisecond);
      if (repeats != 0) {
        b->Iterations(repeats);
      }
    }
  }
  return 0;
}

const int registered = Register();

} // namespace
