// Frame drawing: the clip operations and the two bitmap draws through which
// the animation cycle paints into windowDC.
#pragma once

#include "animation.h"
#include "winapi.h"

// Holds the bitmap during one draw; null between draws.
extern HDC memoryDC;

// Set when a clip region could not be created; the clip is then not what
// the cycle asked for, so draws paint nothing until ClearClip.
extern BOOL clipFailed;

// Resource names. SplatFrameName gives null for a frame outside 1 to 7.
const char *SplatFrameName(LONG mode, LONG frame);
const char *BackdropName(LONG mode);

// Clip := circle of radius stepCount around the centre of record 0.
void SelectSplatClip();
// Clip := clip united with the circle of radius d around (px, py).
void AddDropletClip(int px, int py, int d);
// Clip := the record's ellipse if first, otherwise clip united with it.
void ClipDrip(const DripRecord &record, bool first);
// No clip region any more.
void ClearClip();

// Frame frameIndex of displayMode, stretched around the splat centre.
void DrawSplatFrame();
// The backdrop of displayMode, stretched over the whole client area.
void DrawBackdrop();
