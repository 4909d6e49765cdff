#include "display.h"

#include "backend.h"

namespace platform::detail {
Display &TheDisplay() { return TheBackend().Screen(); }
int DisplayBitsPerPixel() { return TheDisplay().bitsPerPixel; }
} // namespace platform::detail
