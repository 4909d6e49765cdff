// Plays the animation on the headless display and writes what it shows.
#pragma once

#include <string>

#include "render_options.h"

// Runs options.steps steps from a new saver window's state over the chosen
// background, writing PNG snapshots after the chosen steps (step 0 is the
// background) and a GIF frame after every gifEvery-th step, starting at 0.
// Returns 0, or 1 with `error` set. The display keeps the last picture.
int RunRender(const RenderOptions &options, std::string &error);

// The snapshot file of a step: DIR/step-000060.png.
std::string SnapshotPath(const std::string &directory, long step);
