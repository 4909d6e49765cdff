// Test support: a saver window on the headless display, set up as a new
// saver window sets up the engine, and the program's bitmaps made bad.
#pragma once

#include "animation.h"
#include "layer.h"
#include "winapi.h"

#include <vector>

// Replaces the module's resources, for its lifetime, with copies of them in
// which every bitmap is bad: cut short of its colour table, or with a
// header that promises more rows than it holds.
class DamagedResources {
public:
  enum class Damage { Truncated, LyingHeader };
  explicit DamagedResources(Damage damage);
  ~DamagedResources();
  DamagedResources(const DamagedResources &) = delete;
  DamagedResources &operator=(const DamagedResources &) = delete;

private:
  std::vector<std::vector<unsigned char>> data_;
  std::vector<platform::EmbeddedResource> entries_;
  platform::ResourceTable previous_;
};

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
