#include "animation_fixture.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "frame_drawing.h"
#include "layer_headless.h"
#include "saver_session.h"

namespace {

HWND sessionWindow = nullptr;
int sessionWidth = 0;
int sessionHeight = 0;
uint32_t sentinel = 0;
std::vector<uint32_t> sentinelScreen;
Picture pictures[12];

// Decodes the bitmaps once and picks a colour that none of them holds.
void LoadPictures() {
  static bool loaded = false;
  if (loaded) {
    return;
  }
  loaded = true;
  std::set<uint32_t> used;
  for (int i = 0; i < 12; ++i) {
    LoadPictureResource(pictureNames[i], pictures[i]);
    used.insert(pictures[i].pixels.begin(), pictures[i].pixels.end());
  }
  sentinel = 0x00FF00FF;
  while (used.count(sentinel) != 0) {
    sentinel = (sentinel + 0x010203) & 0xFFFFFF;
  }
}

const Picture *PictureNamed(const char *name) {
  for (int i = 0; i < 12; ++i) {
    if (name != nullptr && std::strcmp(pictureNames[i], name) == 0) {
      return &pictures[i];
    }
  }
  return nullptr;
}

} // namespace

EngineSnapshot SaveEngine() {
  EngineSnapshot s;
  std::memcpy(s.drips, dripTable, sizeof s.drips);
  s.phase = animationPhase;
  s.mode = displayMode;
  s.splats = splatCount;
  s.steps = stepCount;
  s.target = stepTarget;
  s.frame = frameIndex;
  s.seed = randomSeed;
  return s;
}

void RestoreEngine(const EngineSnapshot &s) {
  std::memcpy(dripTable, s.drips, sizeof s.drips);
  animationPhase = s.phase;
  displayMode = s.mode;
  splatCount = s.splats;
  stepCount = s.steps;
  stepTarget = s.target;
  frameIndex = s.frame;
  randomSeed = s.seed;
}

HWND OpenSession(int width, int height) {
  LoadPictures();
  if (sessionWindow != nullptr) {
    CloseSaverSurface(sessionWindow);
  }
  sessionWidth = width;
  sessionHeight = height;
  sentinelScreen.assign(static_cast<std::size_t>(width) *
                            static_cast<std::size_t>(height),
                        sentinel);
  sessionWindow = OpenSaverSurface(width, height, nullptr);
  if (sessionWindow != nullptr) {
    StartSaverSession(sessionWindow, 1, false);
  }
  return sessionWindow;
}

HWND SessionWindow() { return sessionWindow; }

SeriesPlan PlanFirstSeries() {
  SeriesPlan plan;
  plan.start = SaveEngine();
  std::vector<EngineSnapshot> seen[9];
  bool firstSplatDone = false;
  while (true) {
    const EngineSnapshot before = SaveEngine();
    const LONG phase = animationPhase;
    AnimationStep(sessionWindow);
    ++plan.steps;
    if (phase < 0 || phase > 8) {
      break;
    }
    // Splat phases are taken from the first splat only.
    if (phase >= CountSplat || !firstSplatDone) {
      seen[phase].push_back(before);
    }
    firstSplatDone = firstSplatDone || phase == CountSplat;
    if (phase == SwitchMode) {
      break;
    }
  }
  for (int phase = 0; phase < 9; ++phase) {
    const std::vector<EngineSnapshot> &list = seen[phase];
    std::size_t pick = 0;
    if (phase == GrowSplat || phase == FinishSplat) {
      pick = list.size() - 1;
    } else if (phase == RunDrips || phase == RunFlood) {
      pick = list.size() / 2;
    }
    plan.typical[phase] = list.empty() ? plan.start : list[pick];
  }
  RestoreEngine(plan.start);
  return plan;
}

long FloorJob::Pixels() const {
  long total = 0;
  for (const Span &span : spans) {
    total += span.right - span.left;
  }
  return total;
}

FloorJob CaptureStep(const EngineSnapshot &before) {
  platform::SetDisplayPicture(sentinelScreen.data());
  RestoreEngine(before);
  const LONG phase = animationPhase;
  AnimationStep(sessionWindow);
  FloorJob job;
  if (phase == GrowSplat || phase == FinishSplat) {
    const DripRecord &splat = dripTable[0];
    job.source = PictureNamed(SplatFrameName(displayMode, frameIndex));
    job.left = static_cast<int>(static_cast<double>(splat.x) - stepCount - 1);
    job.top = static_cast<int>(static_cast<double>(splat.y) - stepCount - 1);
    job.width = 2 * stepCount + 2;
    job.height = job.width;
  } else if (phase == Burst || phase == RunDrips || phase == RunFlood) {
    job.source = PictureNamed(BackdropName(displayMode));
    job.width = sessionWidth;
    job.height = sessionHeight;
  }
  const uint32_t *pixels = platform::FramebufferPixels();
  for (int y = 0; y < sessionHeight; ++y) {
    const uint32_t *row = pixels + static_cast<std::size_t>(y) *
                                       static_cast<std::size_t>(sessionWidth);
    for (int x = 0; x < sessionWidth;) {
      // Most of the screen is untouched: skip it in blocks.
      if (x + 16 <= sessionWidth &&
          std::memcmp(row + x, sentinelScreen.data(), 16 * sizeof *row) == 0) {
        x += 16;
        continue;
      }
      if (row[x] == sentinel) {
        ++x;
        continue;
      }
      const int left = x;
      while (x < sessionWidth && row[x] != sentinel) {
        ++x;
      }
      job.spans.push_back({y, left, x});
    }
  }
  if (job.source == nullptr || job.source->pixels.empty()) {
    job.spans.clear();
  }
  // A draw never paints outside its rectangle; keep the copy inside it.
  std::erase_if(job.spans, [&job](Span &span) {
    span.left = std::max(span.left, job.left);
    span.right = std::min(span.right, job.left + job.width);
    return span.y < job.top || span.y >= job.top + job.height ||
           span.left >= span.right;
  });
  return job;
}

void CopyFloor(const FloorJob &job, std::vector<int> &columns,
               uint32_t *screen) {
  if (job.source == nullptr || job.width <= 0 || job.height <= 0) {
    return;
  }
  const Picture &source = *job.source;
  columns.resize(static_cast<std::size_t>(job.width));
  for (int x = 0; x < job.width; ++x) {
    columns[static_cast<std::size_t>(x)] =
        static_cast<int>(static_cast<long>(x) * source.width / job.width);
  }
  for (const Span &span : job.spans) {
    const long sourceY =
        static_cast<long>(span.y - job.top) * source.height / job.height;
    const uint32_t *from = source.pixels.data() + sourceY * source.width;
    uint32_t *to = screen + static_cast<long>(span.y) * sessionWidth;
    const int *column = columns.data();
    for (int x = span.left; x < span.right; ++x) {
      to[x] = from[column[x - job.left]];
    }
  }
}
