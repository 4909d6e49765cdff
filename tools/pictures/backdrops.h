// The two 640 by 480 backdrops revealed by bursts and floods.
#pragma once

#include "image.h"

namespace pictures {

constexpr int kBackdropWidth = 640;
constexpr int kBackdropHeight = 480;

// Blood mode: mottled flesh under a dripping title and a publisher line.
Image RenderBloodBackdrop();

// Pus mode: faces behind rippled glass, tinted yellow, lettering on top.
Image RenderPusBackdrop();

} // namespace pictures
