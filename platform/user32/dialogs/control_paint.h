// What dialog controls draw: text in the dialog font, icons from resources
// and push-button frames, straight into the framebuffer through a window's
// surface, so every backend shows them.
#pragma once

#include <optional>
#include <string_view>

#include "winapi.h"

namespace platform::detail {

// The dialog font's metrics in pixels: base units for dialog layout.
struct FontMetrics {
  int averageWidth = 0;
  int lineHeight = 0;
};

// DejaVu Sans at `points` on a 96-dpi screen, for the faces templates name
// ("MS Shell Dlg", "MS Sans Serif", "Tahoma"); nothing when the face is
// another, the size is unusable, text is switched off or the font file is
// missing (then dialogs keep the fixed base units and draw no text).
std::optional<FontMetrics> DialogFont(std::string_view face, int points);

// Tests that need the fixed 6 x 13 layout turn dialog fonts (and so text)
// off; on by default.
void SetDialogText(bool on);

// Text in black, word-wrapped at spaces and broken at '\n' inside `box`
// (client coordinates of `window`), aligned as SS_LEFT, SS_CENTER or
// SS_RIGHT give; the lines start at the top of the box, or are centred in
// its height with `middle`.
void DrawTextInBox(HWND window, std::string_view text, const RECT &box,
                   DWORD alignment, bool middle = false);

// The 32x32 image (else the group's first) of icon group `name`, with its
// mask, at (x, y) of `window`; false when the group or image is unusable.
bool DrawIconResource(HWND window, HINSTANCE instance, LPCSTR name, int x,
                      int y);

// A raised push-button frame around the client area; the default button
// has an extra black border outside it.
void DrawButtonFrame(HWND window, bool isDefault);

} // namespace platform::detail
