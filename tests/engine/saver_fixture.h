// Test support: a saver window on the headless display, set up the way a
// new saver window sets up the engine, and stand-in bitmaps with the real
// resource layout.
#pragma once

#include "animation.h"
#include "layer.h"
#include "winapi.h"

#include <cstdint>
#include <string>
#include <vector>

// Colour of stand-in backdrop pixel (x, y) for displayMode 1 or 2. Never 0,
// which is the colour the display starts with.
uint32_t BackdropColour(int mode, int x, int y);
// Uniform colour of a stand-in frame bitmap, by resource name.
uint32_t FrameColour(const std::string &name);

// Installs stand-in bitmaps for all twelve names as the module's resources
// for its lifetime. With damage, every bitmap is bad: cut short of its
// colour table, or with a header that promises more rows than it holds.
class StandInResources {
public:
  enum class Damage { None, Truncated, LyingHeader };
  explicit StandInResources(Damage damage = Damage::None);
  ~StandInResources();
  StandInResources(const StandInResources &) = delete;
  StandInResources &operator=(const StandInResources &) = delete;

private:
  std::vector<std::vector<unsigned char>> data_;
  std::vector<std::string> names_;
  std::vector<platform::EmbeddedResource> entries_;
  platform::ResourceTable previous_;
};

// A popup window covering a width by height headless display, with the
// engine in the state a new saver window gives it.
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

// A copy of every variable of the cycle, to compare before and after.
struct EngineState {
  DripRecord drips[dripCount];
  LONG phase, mode, splats, steps, target, frame;
  DWORD seed;
  bool operator==(const EngineState &other) const;
};
EngineState CaptureState();
