// The burst, its five drips, and the flood.
#include "animation.h"
#include "frame_drawing.h"
#include "host_state.h"
#include "numbers.h"
#include "phases.h"

#include <cmath>

namespace {

constexpr int dropletCount = 40;
constexpr int burstDrips = 5;

// One droplet of the burst: its four draws in the order angle, x distance,
// y distance, radius.
void AddDroplet() {
  const DripRecord &splat = dripTable[0];
  const double rx = splat.rx;
  const double ry = splat.ry;
  const float angle = static_cast<float>(
      static_cast<double>(Mod(NextRandom(), 62832)) / 1000.0);
  const float dx = static_cast<float>(
      static_cast<double>(Mod(NextRandom(), Trunc(rx / 2.0))) + rx);
  const int px =
      Trunc(std::cos(static_cast<double>(angle)) * static_cast<double>(dx) +
            static_cast<double>(splat.x));
  const float dy = static_cast<float>(
      static_cast<double>(Mod(NextRandom(), Trunc(ry / 2.0))) + ry);
  const int py =
      Trunc(std::sin(static_cast<double>(angle)) * static_cast<double>(dy) +
            static_cast<double>(splat.y));
  const int d = previewFlag != 0 ? Mod(NextRandom(), 2) + 1
                                 : Mod(NextRandom(), Trunc(rx / 12.0)) + 2;
  AddDropletClip(px, py, d);
}

// Drip i (1 to 5) hangs from the splat: a radius divisor and its offset
// from the centre, as fractions of the splat radius.
struct DripShape {
  float speed;
  double radiusDivisor;
  double offsetDivisor; // 0: no horizontal offset
  double side;          // -1 left, +1 right
};
constexpr DripShape dripShapes[burstDrips] = {{0.6f, 12.0, 3.0, -1.0},
                                              {0.8f, 12.0, 3.0, 1.0},
                                              {1.1f, 9.0, 5.0, -1.0},
                                              {1.5f, 9.0, 5.0, 1.0},
                                              {2.0f, 6.0, 0.0, 0.0}};

void SetUpBurstDrips() {
  const DripRecord &splat = dripTable[0];
  const double r = splat.rx;
  const double x = splat.x;
  const double y = splat.y;
  const double ry = splat.ry;
  for (int i = 0; i < burstDrips; ++i) {
    const DripShape &shape = dripShapes[i];
    DripRecord &drip = dripTable[i + 1];
    const double radius = r / shape.radiusDivisor;
    drip.speed = shape.speed;
    drip.rx = static_cast<float>(radius);
    drip.ry = static_cast<float>(1.5 * radius);
    drip.x =
        shape.offsetDivisor == 0.0
            ? splat.x
            : static_cast<float>(x + shape.side * (r / shape.offsetDivisor));
    // The largest drip's bottom sits on the bottom of the splat circle.
    drip.y = i == burstDrips - 1
                 ? static_cast<float>(y + ry - static_cast<double>(drip.ry))
                 : static_cast<float>(y + ry / 2.0);
  }
  for (int i = 1; i <= 4; ++i) {
    const int j = Mod(NextRandom(), 4) + 1;
    const float speed = dripTable[i].speed;
    dripTable[i].speed = dripTable[j].speed;
    dripTable[j].speed = speed;
  }
}

void MoveDrip(DripRecord &drip) {
  drip.y = static_cast<float>(static_cast<double>(drip.y) +
                              static_cast<double>(drip.speed));
}

} // namespace

void BurstTheSplat() {
  SelectSplatClip();
  for (int i = 0; i < dropletCount; ++i) {
    AddDroplet();
  }
  DrawBackdrop();
  ClearClip();
  SetUpBurstDrips();
  // On a splat below 1/1.5 pixel the drips would have no step to run and the
  // end test would never match; they run for one step at least.
  const int32_t steps = Trunc(1.5 * static_cast<double>(dripTable[0].rx));
  stepTarget = steps < 1 ? 1 : steps;
  stepCount = 0;
  animationPhase = RunDrips;
}

void RunTheDrips() {
  stepCount = Increment(stepCount);
  for (int i = 1; i <= burstDrips; ++i) {
    MoveDrip(dripTable[i]);
    ClipDrip(dripTable[i], i == 1);
  }
  DrawBackdrop();
  ClearClip();
  if (stepCount == stepTarget) {
    animationPhase = CountSplat;
  }
}

void SetUpTheFlood() {
  const double width = screenWidth;
  for (int i = 0; i < dripCount; ++i) {
    DripRecord &drip = dripTable[i];
    drip.rx = static_cast<float>(
        static_cast<double>(Mod(NextRandom(), Trunc(width / 40.0))) +
        width / 40.0 + 1.0);
    drip.ry = static_cast<float>(1.5 * static_cast<double>(drip.rx));
    drip.x = static_cast<float>(width / 20.0 * i);
    drip.y = static_cast<float>(width / 20.0 * -1.5);
    drip.speed = static_cast<float>(
        static_cast<double>(Mod(NextRandom(), 101)) / 100.0 + 1.0);
  }
  stepCount = 0;
  animationPhase = RunFlood;
}

void RunTheFlood() {
  stepCount = Increment(stepCount);
  splatCount = 0;
  const int32_t changeEvery = Trunc(static_cast<double>(screenHeight) / 10.0);
  const bool changeSpeed = Mod(stepCount, changeEvery) == 0;
  for (int i = 0; i < dripCount; ++i) {
    DripRecord &drip = dripTable[i];
    MoveDrip(drip);
    ClipDrip(drip, i == 0);
    if (changeSpeed) {
      drip.speed = static_cast<float>(3.0 - static_cast<double>(drip.speed));
    }
    if (static_cast<double>(drip.y) >= static_cast<double>(screenHeight)) {
      splatCount = Increment(splatCount);
    }
  }
  DrawBackdrop();
  ClearClip();
  if (splatCount == dripCount) {
    animationPhase = SwitchMode;
  }
}
