// The one 256-colour palette for all twelve bitmaps, realized on 8-bit
// displays: entry i is paletteTable[3 * i] blue, [3 * i + 1] green,
// [3 * i + 2] red.
#pragma once

#include "winapi.h"

extern const BYTE paletteTable[768];
