#include "animation.h"

#include "frame_drawing.h"
#include "numbers.h"
#include "phases.h"

DripRecord dripTable[dripCount] = {};
LONG animationPhase = 0;
LONG displayMode = 0;
LONG splatCount = 0;
LONG stepCount = 0;
LONG stepTarget = 0;
LONG frameIndex = 0;
float screenWidth = 0.0f;
float screenHeight = 0.0f;
HDC windowDC = nullptr;

namespace {

// Picks radius and centre of a new splat inside the client area.
void PlaceNewSplat() {
  DripRecord &splat = dripTable[0];
  const double width = screenWidth;
  const double height = screenHeight;
  splat.rx = static_cast<float>(
      static_cast<double>(Mod(NextRandom(), Trunc(width / 20.0))) +
      width / 15.0);
  splat.ry = splat.rx;
  const double r = splat.rx;
  splat.x = static_cast<float>(
      static_cast<double>(Mod(NextRandom(), Trunc(width - 2.0 * r))) + r);
  splat.y = static_cast<float>(
      static_cast<double>(Mod(NextRandom(), Trunc(height - 2.0 * r))) + r);
  stepTarget = Trunc(r);
  stepCount = 0;
  frameIndex = 0;
  animationPhase = GrowSplat;
}

void DrawSplat() {
  SelectSplatClip();
  DrawSplatFrame();
  ClearClip();
}

// Frames cycle 1 to 5; the radius grows on frames 3, 4 and 5.
void GrowTheSplat() {
  frameIndex = Increment(frameIndex);
  if (frameIndex > 5) {
    frameIndex = 1;
  }
  if (frameIndex >= 3 && frameIndex <= 5) {
    stepCount = Increment(stepCount);
  }
  DrawSplat();
  if (stepCount == stepTarget) {
    animationPhase = FinishSplat;
  }
}

void FinishTheSplat() {
  frameIndex = Increment(frameIndex);
  DrawSplat();
  if (frameIndex == 7) {
    animationPhase = Burst;
  }
}

void CountTheSplat() {
  splatCount = Increment(splatCount);
  animationPhase = splatCount == 10 ? SetUpFlood : PlaceSplat;
}

void SwitchTheMode() {
  displayMode = displayMode == 1 ? 2 : 1;
  animationPhase = PlaceSplat;
  splatCount = 0;
}

} // namespace

void AnimationStep(HWND window) {
  windowDC = GetDC(window);
  switch (animationPhase) {
  case PlaceSplat:
    PlaceNewSplat();
    break;
  case GrowSplat:
    GrowTheSplat();
    break;
  case FinishSplat:
    FinishTheSplat();
    break;
  case Burst:
    BurstTheSplat();
    break;
  case RunDrips:
    RunTheDrips();
    break;
  case CountSplat:
    CountTheSplat();
    break;
  case SetUpFlood:
    SetUpTheFlood();
    break;
  case RunFlood:
    RunTheFlood();
    break;
  case SwitchMode:
    SwitchTheMode();
    break;
  default:
    break;
  }
  ReleaseDC(window, windowDC);
}

void ResetAnimation(DWORD seed) {
  SeedRandom(seed);
  displayMode = 1;
  animationPhase = PlaceSplat;
  splatCount = 0;
}
