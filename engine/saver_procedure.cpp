#include "saver_procedure.h"

#include <ctime>

#include "animation.h"
#include "palette_table.h"
#include "saver_fallback.h"

HPALETTE saverPalette = nullptr;
HPALETTE previousPalette = nullptr;
WORD timerResult = 0;

namespace {

constexpr UINT_PTR animationTimer = 1;
constexpr UINT animationPeriod = 100; // ms
constexpr int paletteSize = 256;
// The description as the system has always sized it, 4 bytes to spare.
constexpr SIZE_T paletteBytes = 1032;
static_assert(paletteBytes >=
              sizeof(LOGPALETTE) + (paletteSize - 1) * sizeof(PALETTEENTRY));
static_assert(paletteBytes == 1032, "LOGPALETTE with 256 entries");

// Builds saverPalette from paletteTable (stored blue, green, red) and makes
// it the window DC's foreground palette. Any failure leaves the display's
// own palette in place.
void RealizeSaverPalette() {
  HLOCAL memory = LocalAlloc(LMEM_ZEROINIT, paletteBytes);
  if (memory == nullptr) {
    return;
  }
  auto *description = static_cast<LOGPALETTE *>(memory);
  description->palVersion = 0x300;
  description->palNumEntries = paletteSize;
  for (int i = 0; i < paletteSize; ++i) {
    PALETTEENTRY &entry = description->palPalEntry[i];
    entry.peRed = paletteTable[3 * i + 2];
    entry.peGreen = paletteTable[3 * i + 1];
    entry.peBlue = paletteTable[3 * i];
    entry.peFlags = PC_NOCOLLAPSE;
  }
  saverPalette = CreatePalette(description);
  if (saverPalette != nullptr) {
    previousPalette = SelectPalette(windowDC, saverPalette, FALSE);
    if (previousPalette != nullptr) {
      RealizePalette(windowDC);
    }
  }
  LocalFree(memory);
}

void CreateSaverState(HWND window) {
  windowDC = GetDC(window);
  RECT client = {};
  GetClientRect(window, &client);
  screenWidth = static_cast<float>(client.right);
  screenHeight = static_cast<float>(client.bottom);
  SetStretchBltMode(windowDC, COLORONCOLOR);
  if (GetDeviceCaps(windowDC, BITSPIXEL) == 8) {
    RealizeSaverPalette();
  }
  ReleaseDC(window, windowDC);
  timerResult = static_cast<WORD>(
      SetTimer(window, animationTimer, animationPeriod, nullptr) & 0xFFFF);
  ResetAnimation(static_cast<DWORD>(std::time(nullptr)) + seedOffset);
}

// Cleans up by what creation made, not by the depth the display reports
// now: a depth change during the run must not leak the palette.
void DestroySaverState(HWND window) {
  windowDC = GetDC(window);
  if (saverPalette != nullptr) {
    if (previousPalette != nullptr) {
      SelectPalette(windowDC, previousPalette, FALSE);
    }
    DeleteObject(saverPalette);
    saverPalette = nullptr;
    previousPalette = nullptr;
  }
  ReleaseDC(window, windowDC);
  if (timerResult != 0) {
    KillTimer(window, animationTimer);
  }
}

} // namespace

LRESULT CALLBACK SaverProcedure(HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam) {
  switch (message) {
  case WM_CREATE:
    CreateSaverState(window);
    break;
  case WM_DESTROY:
    DestroySaverState(window);
    break;
  case WM_ERASEBKGND:
    // The picture under the saver stays; the animation draws over it.
    return 0;
  case WM_TIMER:
    AnimationStep(window);
    break;
  default:
    break;
  }
  return SaverFallbackProc(window, message, wParam, lParam);
}
