// Test support: a saver window on the headless display, set up as a new
// saver window sets up the engine.
#pragma once

#include "animation.h"
#include "layer.h"
#include "winapi.h"

// A saver window covering a width by height headless display.
class SaverWindow {
public:
  SaverWindow(int width, int height, DWORD seed = 1, bool preview = false);
  ~SaverWindow();
  SaverWindow(const SaverWindow &) = delete;
  SaverWindow &operator=(const SaverWindow &) = delete;

  HWND window() const { return window_; }
  // Runs one step and returns the phase it performed.
  LONG Step();
  // Steps until the phase about to run is `phase`; false if that takes more
  // than `limit` steps.
  bool RunUntil(LONG phase, long limit = 100000);

private:
  HWND window_ = nullptr;
};
