// GetModuleHandleA, on its own until the module table takes it over.
#include "objects.h"

using namespace platform::detail;

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  // Only the main module exists here.
  return name == nullptr ? ToHandle<HMODULE>(kMainModule) : nullptr;
}
