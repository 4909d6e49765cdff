#include "frame_drawing.h"

#include "host_state.h"
#include "numbers.h"

#include <cstdint>

HDC memoryDC = nullptr;
BOOL clipFailed = FALSE;

namespace {

// Pixels start at this fixed offset: a 40-byte header and 256 colours.
constexpr DWORD pixelOffset = 40 + 256 * 4;
constexpr int nameBufferSize = 8; // names are at most 7 characters

const char *const bloodFrames[8] = {nullptr,  "BLOOD2", "BLOOD1", "BLOOD2",
                                    "BLOOD3", "BLOOD3", "BLOOD4", "BLOOD5"};
const char *const pusFrames[8] = {nullptr, "PUS2", "PUS1", "PUS2",
                                  "PUS3",  "PUS3", "PUS4", "PUS5"};

// The resource must hold the uncompressed 8-bit picture its header
// describes, or the conversion would read past its end.
bool HoldsPicture(const void *data, DWORD size) {
  if (size < pixelOffset) {
    return false;
  }
  const auto *header = static_cast<const BITMAPINFOHEADER *>(data);
  if (header->biSize != 40 || header->biBitCount != 8 ||
      header->biCompression != BI_RGB || header->biWidth <= 0 ||
      header->biHeight == 0) {
    return false;
  }
  const int64_t height = header->biHeight < 0
                             ? -static_cast<int64_t>(header->biHeight)
                             : static_cast<int64_t>(header->biHeight);
  const int64_t stride = (static_cast<int64_t>(header->biWidth) + 3) / 4 * 4;
  return stride * height <= static_cast<int64_t>(size - pixelOffset);
}

// Copies a resource onto windowDC through the current clip. Each failure
// skips what depends on it and releases what was acquired, in reverse order.
void DrawResource(const char *resourceName, int left, int top, int width,
                  int height, int sourceWidth, int sourceHeight) {
  if (resourceName == nullptr || clipFailed) {
    return;
  }
  char name[nameBufferSize] = {};
  for (int i = 0; i < nameBufferSize - 1 && resourceName[i] != '\0'; ++i) {
    name[i] = resourceName[i];
  }

  memoryDC = CreateCompatibleDC(windowDC);
  if (memoryDC == nullptr) {
    return;
  }
  HRSRC found = FindResourceA(moduleInstance, name, MAKEINTRESOURCEA(2));
  HGLOBAL loaded =
      found != nullptr ? LoadResource(moduleInstance, found) : nullptr;
  if (loaded != nullptr) {
    const void *data = LockResource(loaded);
    if (data != nullptr &&
        HoldsPicture(data, SizeofResource(moduleInstance, found))) {
      const auto *info = static_cast<const BITMAPINFO *>(data);
      const void *bits = static_cast<const BYTE *>(data) + pixelOffset;
      HBITMAP bitmap = CreateDIBitmap(windowDC, &info->bmiHeader, CBM_INIT,
                                      bits, info, DIB_RGB_COLORS);
      if (bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memoryDC, bitmap);
        if (previous != nullptr) {
          StretchBlt(windowDC, left, top, width, height, memoryDC, 0, 0,
                     sourceWidth, sourceHeight, SRCCOPY);
          SelectObject(memoryDC, previous);
        }
        DeleteObject(bitmap);
      }
    }
    FreeResource(loaded);
  }
  DeleteDC(memoryDC);
  memoryDC = nullptr;
}

// Hands a new region to windowDC. A region that could not be created would
// turn a replacing selection into "no clip", which paints everywhere, so
// that failure is remembered instead and the draws skip until ClearClip. A
// failed union only leaves that shape out of the clip.
void ApplyClip(HRGN region, bool replace) {
  if (region == nullptr) {
    if (replace) {
      clipFailed = TRUE;
    }
    return;
  }
  if (replace) {
    SelectClipRgn(windowDC, region);
    clipFailed = FALSE;
  } else {
    ExtSelectClipRgn(windowDC, region, RGN_OR);
  }
  DeleteObject(region);
}

} // namespace

const char *SplatFrameName(LONG mode, LONG frame) {
  if (frame < 1 || frame > 7) {
    return nullptr;
  }
  return mode == 1 ? bloodFrames[frame] : pusFrames[frame];
}

const char *BackdropName(LONG mode) {
  return mode == 1 ? "SPLASH1" : "SPLASH2";
}

void SelectSplatClip() {
  const double x = dripTable[0].x;
  const double y = dripTable[0].y;
  const double c = stepCount;
  ApplyClip(
      CreateEllipticRgn(Trunc(x - c), Trunc(y - c), Trunc(x + c), Trunc(y + c)),
      true);
}

void AddDropletClip(int px, int py, int d) {
  const int64_t x = px;
  const int64_t y = py;
  ApplyClip(CreateEllipticRgn(ClampToInt(x - d), ClampToInt(y - d),
                              ClampToInt(x + d), ClampToInt(y + d)),
            false);
}

void ClipDrip(const DripRecord &record, bool first) {
  const double x = record.x;
  const double y = record.y;
  const double rx = record.rx;
  const double ry = record.ry;
  ApplyClip(CreateEllipticRgn(Trunc(x - rx), Trunc(y - ry), Trunc(x + rx),
                              Trunc(y + ry)),
            first);
}

void ClearClip() {
  SelectClipRgn(windowDC, nullptr);
  clipFailed = FALSE;
}

void DrawSplatFrame() {
  const double c = stepCount;
  const int side = ClampToInt(2 * static_cast<int64_t>(stepCount) + 2);
  DrawResource(SplatFrameName(displayMode, frameIndex),
               Trunc(static_cast<double>(dripTable[0].x) - c - 1.0),
               Trunc(static_cast<double>(dripTable[0].y) - c - 1.0), side, side,
               200, 200);
}

void DrawBackdrop() {
  DrawResource(BackdropName(displayMode), 0, 0, Trunc(screenWidth),
               Trunc(screenHeight), 640, 480);
}
