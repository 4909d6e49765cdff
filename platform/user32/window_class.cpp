// Window classes: registered by name (case-insensitive) with an atom.
#include <cctype>
#include <map>
#include <memory>

#include "user32/window.h"

namespace platform::detail {
namespace {

struct Classes {
  // Keyed by upper-case name; classes stay put while windows point at them.
  std::map<std::string, std::unique_ptr<WindowClass>> byName;
  ATOM nextAtom = 0xC000;
};

Classes &classes() {
  static Classes instance;
  return instance;
}

std::string UpperName(LPCSTR name) {
  std::string upper(name);
  for (char &c : upper) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return upper;
}

} // namespace

// Finds a class by name or by the atom passed in place of a name.
const WindowClass *FindClass(LPCSTR name) {
  if (name == nullptr) {
    return nullptr;
  }
  Classes &c = classes();
  if (IS_INTRESOURCE(name)) {
    const auto atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
    for (const auto &entry : c.byName) {
      if (entry.second->atom == atom) {
        return entry.second.get();
      }
    }
    return nullptr;
  }
  auto found = c.byName.find(UpperName(name));
  return found == c.byName.end() ? nullptr : found->second.get();
}

void ForgetAllClasses() { classes().byName.clear(); }

} // namespace platform::detail

using namespace platform::detail;

ATOM WINAPI RegisterClassA(const WNDCLASSA *windowClass) {
  if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr ||
      windowClass->lpszClassName == nullptr ||
      IS_INTRESOURCE(windowClass->lpszClassName) ||
      windowClass->lpszClassName[0] == '\0') {
    return 0;
  }
  Classes &c = classes();
  const std::string key = UpperName(windowClass->lpszClassName);
  if (c.byName.count(key) != 0 || c.nextAtom == 0xFFFF) {
    return 0;
  }
  auto entry = std::make_unique<WindowClass>();
  entry->info = *windowClass;
  entry->name = windowClass->lpszClassName;
  entry->info.lpszClassName = nullptr; // the caller's strings may not last
  entry->info.lpszMenuName = nullptr;
  entry->atom = c.nextAtom++;
  const ATOM atom = entry->atom;
  c.byName.emplace(key, std::move(entry));
  return atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
  const WindowClass *entry = FindClass(className);
  if (entry == nullptr) {
    return FALSE;
  }
  for (uintptr_t window : AllWindows()) {
    if (FindWindowObject(window)->windowClass == entry) {
      return FALSE; // a class with windows stays
    }
  }
  classes().byName.erase(UpperName(entry->name.c_str()));
  return TRUE;
}
