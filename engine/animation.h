// The animation cycle: nine phases of splats, bursts, drips and floods,
// advanced by one step per timer tick, with its random source.
#pragma once

#include "winapi.h"

// One splat or drip. Record 0 of dripTable doubles as the splat: x, y are
// its centre and rx, ry both hold its radius.
struct DripRecord {
  float x;
  float y;
  float rx;
  float ry;
  float speed; // pixels added to y on each step in which the record moves
};

enum AnimationPhase : LONG {
  PlaceSplat = 0,
  GrowSplat,
  FinishSplat,
  Burst,
  RunDrips,
  CountSplat,
  SetUpFlood,
  RunFlood,
  SwitchMode
};

constexpr int dripCount = 21;

extern DripRecord dripTable[dripCount];
extern LONG animationPhase; // the phase the next step performs
extern LONG displayMode;    // 1 = blood, 2 = pus
extern LONG splatCount;
extern LONG stepCount;
extern LONG stepTarget;
extern LONG frameIndex;
extern float screenWidth;
extern float screenHeight;
extern HDC windowDC; // valid only during a step
extern DWORD randomSeed;
// Added to the time that seeds each new window's series. 0 but in the
// native saver run for one of several monitors, which sets its own: savers
// started in the same second would otherwise show the same series.
extern DWORD seedOffset;

// Performs one step of the cycle, drawing into the window's device context.
void AnimationStep(HWND window);

// Starts a fresh cycle, as every new saver window does: the random source
// seeded, blood mode, the first phase, no splats counted.
void ResetAnimation(DWORD seed);

void SeedRandom(DWORD seed);
// The next draw, 0 to 32767.
int NextRandom();
