// Lists the resources linked into this program, one line each and sorted:
// every type, name and language the module enumerates, with the size and a
// hash of the data. Run under Wine and compared with the native table.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "resource_listing.h"
#include "winapi.h"

namespace {

std::vector<std::string> lines;
bool failed = false;

std::string KeyText(LPCSTR key) {
  return IS_INTRESOURCE(key)
             ? std::to_string(reinterpret_cast<std::uintptr_t>(key))
             : std::string(key);
}

BOOL CALLBACK OnLanguage(HMODULE module, LPCSTR type, LPCSTR name,
                         WORD language, LONG_PTR) {
  HRSRC found = FindResourceExA(module, type, name, language);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void *data = loaded ? LockResource(loaded) : nullptr;
  if (!data) {
    failed = true;
    return TRUE;
  }
  lines.push_back(assets_test::ListingLine(
      KeyText(type), KeyText(name), language,
      static_cast<const unsigned char *>(data), SizeofResource(module, found)));
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR) {
  EnumResourceLanguagesA(module, type, name, OnLanguage, 0);
  return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPSTR type, LONG_PTR) {
  EnumResourceNamesA(module, type, OnName, 0);
  return TRUE;
}

} // namespace

int main() {
  EnumResourceTypesA(GetModuleHandleA(nullptr), OnType, 0);
  std::sort(lines.begin(), lines.end());
  for (const std::string &line : lines)
    std::printf("%s\n", line.c_str());
  return failed || lines.empty() ? 1 : 0;
}
