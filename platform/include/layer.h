// Native-only controls of our platform layer, for tests and tools: the
// headless display, the embedded resource table and object accounting.
// Engine and host code never include this; they see only winapi.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "winapi.h"

namespace platform {

// One embedded resource. A type or name given by number has a null string
// and its number in the id field.
struct EmbeddedResource {
  const char *typeName;
  WORD typeId;
  const char *name;
  WORD nameId;
  WORD language;
  const unsigned char *data;
  DWORD size;
};

// Makes `table` the resources of the main module (GetModuleHandleA(NULL)).
// Returns the previous table so a test can put it back.
struct ResourceTable {
  const EmbeddedResource *entries;
  std::size_t count;
};
ResourceTable SetModuleResources(ResourceTable table);

// The headless display: an in-memory 32-bit surface that plays the screen.
// Pixels are 0x00RRGGBB. Opening it again replaces it; windows created
// afterwards draw onto it.
void OpenHeadlessDisplay(int width, int height, uint32_t fill = 0);
void SetDisplayPicture(const uint32_t *pixels); // width * height, row 0 on top
int DisplayWidth();
int DisplayHeight();
const uint32_t *DisplayPixels();
uint32_t DisplayPixel(int x, int y);
// What GetDeviceCaps(BITSPIXEL) reports: 8, 16, 24 or 32 (the default).
// Pixels stay 32-bit; this only steers code paths such as palettes.
void SetDisplayBitsPerPixel(int bits);

// Number of live objects handed out by the layer (DCs, regions, bitmaps,
// palettes, loaded resources, windows).
std::size_t LiveObjectCount();

} // namespace platform
