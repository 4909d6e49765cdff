// Whole animation runs on the headless display, driven step by step the way
// the saver window's timer drives them, for the soak and the size sweep.
#pragma once

#include <cstddef>

#include "winapi.h"

// Steps a series (PlaceSplat through SwitchMode) may take on a width by
// height window before it counts as stalled: ten splats of at most about
// 4 r + 20 steps each with r below W / 8 + 1, then a flood that starts
// 1.5 W / 20 above the top and falls at least a pixel a step.
long SeriesStepBound(int width, int height);

// Resident memory of this process in KiB, or 0 where it cannot be read.
std::size_t ResidentKiB();

// Bytes of heap in use by the program. Under AddressSanitizer freed blocks
// wait in a quarantine that swells the resident size, so the sanitizer's own
// count is taken; elsewhere the C library's.
std::size_t HeapBytes();

// True where resident memory follows the program's own use, that is without
// the sanitizers' quarantine and shadow memory.
bool ResidentIsMeaningful();
