// What the screen shows before the first step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A neutral, desktop-like picture: a banded gradient, a taskbar, a column
// of icons and a few windows. Deterministic for a given size; few colours.
std::vector<uint32_t> DesktopBackground(int width, int height);

// `choice` is "desktop", "black" or a PNG file, which is stretched by nearest
// neighbour to width by height. False, with `error` set, if the file cannot
// be read.
bool MakeBackground(const std::string &choice, int width, int height,
                    std::vector<uint32_t> &pixels, std::string &error);
