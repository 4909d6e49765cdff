// The headless backend: an in-memory display on a virtual clock with
// scripted input, the backend in use unless the program chose another.
// For tests and tools.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "layer.h"

namespace platform {

// The headless display, the backend in use unless the program chose
// another: an in-memory 32-bit surface that plays the screen. Pixels are
// 0x00RRGGBB. Opening it again replaces it; windows created afterwards draw
// onto it.
void OpenHeadlessDisplay(int width, int height, uint32_t fill = 0);
// The headless display as several monitors, in screen coordinates, the
// primary first with its corner at (0, 0). The display then covers the
// virtual screen, the box around them all, which starts left of or above
// (0, 0) when a monitor lies there. False, with the display unchanged,
// when a monitor is empty, the primary is not at (0, 0), or the box is
// wider or taller than any screen can be.
bool OpenHeadlessMonitors(const std::vector<RECT> &monitors, uint32_t fill = 0);
// Paints the headless display: width * height pixels, row 0 on top.
void SetDisplayPicture(const uint32_t *pixels);
// What GetDeviceCaps(BITSPIXEL) reports for the headless display: 8, 16,
// 24 or 32 (the default). Pixels stay 32-bit; at 8 bits each pixel drawn
// shows as the nearest colour of the realized palette, as an 8-bit screen
// would show it.
void SetFramebufferBitsPerPixel(int bits);
// --- Clock and scripted input of the headless display ----------------------
// The headless display runs on a virtual clock: GetTickCount reads it, and
// only Sleep and waiting for messages move it on, straight to the next
// timer or scripted event. A run of minutes plays out in milliseconds and
// the same script always gives the same run.
void SetTickCount(DWORD tick); // for testing the wrap at 2^32
// Runs `action` once the clock has advanced `delay` ms from now, while the
// program waits for messages or sleeps. Equal times run in the order given.
void ScheduleAfter(DWORD delay, std::function<void()> action);
// What a wait does when no message, timer or scripted event can ever come:
// by default the process aborts with a message, since the run would hang.
// A test may set a handler instead (for example one that posts WM_QUIT).
void SetIdleHandler(std::function<void()> handler);

// Hardware input, queued as the platform queues it: keys and buttons go to
// the focus window (mouse: the window under the cursor). The headless
// cursor moves in screen coordinates and makes WM_SETCURSOR and
// WM_MOUSEMOVE.
void KeyDown(UINT virtualKey); // with VK_MENU held: WM_SYSKEYDOWN
void KeyUp(UINT virtualKey);
void PressKey(UINT virtualKey); // down, then up
void ButtonDown(UINT button);   // VK_LBUTTON, VK_RBUTTON or VK_MBUTTON
void ButtonUp(UINT button);
void Click(UINT button);
void MoveCursorTo(int x, int y);
void MoveCursorBy(int dx, int dy);
// False after SetCursor(NULL) until a cursor is set again.
bool CursorShown();

} // namespace platform
