// The native layer's resources holding any bytes: every bitmap, the icon
// group and the dialog. The engine's steps on a small window draw from them
// (or skip a bad bitmap) without a fault or a leak.
#include <cstdint>
#include <cstdlib>

#include "animation.h"
#include "layer_headless.h"
#include "resource_picture.h"
#include "saver_session.h"

namespace {

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  platform::EmbeddedResource entries[14] = {};
  for (int i = 0; i < 12; ++i) {
    entries[i] = {nullptr, 2,    pictureNames[i],         0,
                  0x409,   data, static_cast<DWORD>(size)};
  }
  entries[12] = {
      nullptr, 14, nullptr, 1, 0x409, data, static_cast<DWORD>(size)};
  entries[13] = {
      nullptr, 5, nullptr, 2003, 0x409, data, static_cast<DWORD>(size)};
  const platform::ResourceTable previous =
      platform::SetModuleResources({entries, 14});

  const HMODULE module = GetModuleHandleA(nullptr);
  const HRSRC found =
      FindResourceA(module, pictureNames[size % 12], MAKEINTRESOURCEA(2));
  Check(found != nullptr && SizeofResource(module, found) == size);
  const HGLOBAL loaded = LoadResource(module, found);
  Check(LockResource(loaded) == data);
  FreeResource(loaded);
  LoadIconA(module, MAKEINTRESOURCEA(1));

  static const HWND window = OpenSaverSurface(12, 9, nullptr);
  const std::size_t objects = platform::LiveObjectCount();
  StartSaverSession(window, static_cast<DWORD>(size), false);
  // Through the first splat's frames and its burst.
  for (int step = 0; step < 40 && animationPhase != CountSplat; ++step) {
    AnimationStep(window);
  }
  Check(platform::LiveObjectCount() == objects);
  platform::SetModuleResources(previous);
  return 0;
}
