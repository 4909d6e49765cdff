// Support for the animation benchmarks: the engine's state saved and put
// back, a saver session per screen size, and the "floor" of a step -- a
// plain nearest-neighbour copy of exactly the pixels the step paints.
#pragma once

#include <cstdint>
#include <vector>

#include "animation.h"
#include "resource_picture.h"

struct EngineSnapshot {
  DripRecord drips[dripCount];
  LONG phase, mode, splats, steps, target, frame;
  DWORD seed;
};
EngineSnapshot SaveEngine();
void RestoreEngine(const EngineSnapshot &snapshot);

// Opens a width by height surface (replacing any other) with the engine as
// a new saver window leaves it, seeded with 1. The window of the current
// session, or null.
HWND OpenSession(int width, int height);
HWND SessionWindow();

// The state before a typical step of each phase in the first series of the
// current session: the last step of GrowSplat and FinishSplat (the largest
// splat), the middle step of RunDrips and RunFlood, the first of the rest.
// Also the state at the start of the series and its length in steps.
struct SeriesPlan {
  EngineSnapshot start;
  long steps = 0;
  EngineSnapshot typical[9];
};
SeriesPlan PlanFirstSeries();

// One row run of painted pixels, right end excluded.
struct Span {
  int y, left, right;
};

// The copy a step makes: which bitmap, stretched onto which rectangle, and
// which destination pixels pass the clip.
struct FloorJob {
  const Picture *source = nullptr;
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<Span> spans;
  long Pixels() const;
};

// Runs one step from `before` on a surface filled with a colour no bitmap
// holds, and records the pixels it painted. Leaves the engine after the
// step.
FloorJob CaptureStep(const EngineSnapshot &before);

// The floor itself: copies the job's pixels into `screen` (the session's
// width by height pixels).
void CopyFloor(const FloorJob &job, std::vector<int> &columns,
               uint32_t *screen);
