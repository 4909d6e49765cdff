// LoadIconA: shared icons that programs never delete, so none of them
// counts as live.
#include <map>

#include "gdi32/gdi_objects.h"

using namespace platform::detail;

namespace {

uintptr_t StockIcon(int width, int height) {
  auto icon = std::make_unique<IconObject>();
  icon->stock = true;
  icon->width = width;
  icon->height = height;
  return AddObject(std::move(icon));
}

// The first image's size from a group-icon directory: a 6-byte header,
// then 14-byte entries whose width and height bytes say 0 for 256.
bool GroupIconSize(const unsigned char *data, DWORD size, int &width,
                   int &height) {
  if (data == nullptr || size < 6 + 14 || data[2] != 1 || data[3] != 0 ||
      (data[4] == 0 && data[5] == 0)) {
    return false;
  }
  width = data[6] == 0 ? 256 : data[6];
  height = data[7] == 0 ? 256 : data[7];
  return true;
}

} // namespace

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (instance == nullptr) {
    // The system's own icons (IDI_APPLICATION to IDI_WINLOGO).
    static const uintptr_t system = StockIcon(32, 32);
    const auto id = reinterpret_cast<uintptr_t>(name);
    return IS_INTRESOURCE(name) && id >= 32512 && id <= 32517
               ? ToHandle<HICON>(system)
               : nullptr;
  }
  HRSRC group = FindResourceA(instance, name, RT_GROUP_ICON);
  if (group == nullptr) {
    return nullptr;
  }
  // Loading the same group again gives the same shared icon.
  static std::map<uintptr_t, uintptr_t> shared;
  const auto known = shared.find(HandleValue(group));
  if (known != shared.end()) {
    return ToHandle<HICON>(known->second);
  }
  HGLOBAL loaded = LoadResource(instance, group);
  int width = 0, height = 0;
  const bool valid =
      GroupIconSize(static_cast<const unsigned char *>(LockResource(loaded)),
                    SizeofResource(instance, group), width, height);
  FreeResource(loaded);
  if (!valid) {
    return nullptr;
  }
  const uintptr_t icon = StockIcon(width, height);
  shared.emplace(HandleValue(group), icon);
  return ToHandle<HICON>(icon);
}
