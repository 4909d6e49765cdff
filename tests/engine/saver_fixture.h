// Test support: a saver window covering a width by height headless display,
// set up as a new saver window sets up the engine.
#pragma once

#include "animation.h"
#include "host_state.h"
#include "layer_headless.h"
#include "saver_session.h"
#include "winapi.h"

class SaverWindow {
public:
  SaverWindow(int width, int height, DWORD seed = 1, bool preview = false)
      : window_(OpenSaverSurface(width, height, nullptr)) {
    StartSaverSession(window_, seed, preview);
  }
  ~SaverWindow() {
    CloseSaverSurface(window_);
    previewFlag = 0;
    moduleInstance = nullptr;
  }
  SaverWindow(const SaverWindow &) = delete;
  SaverWindow &operator=(const SaverWindow &) = delete;

  HWND window() const { return window_; }
  LONG Step() { // the phase it performed
    const LONG phase = animationPhase;
    AnimationStep(window_);
    return phase;
  }
  // Steps until the phase about to run is `phase`; false if that takes more
  // than `limit` steps.
  bool RunUntil(LONG phase, long limit = 100000) {
    for (long i = 0; i < limit && animationPhase != phase; ++i) {
      Step();
    }
    return animationPhase == phase;
  }

private:
  HWND window_ = nullptr;
};
