// Libraries as LoadLibraryA sees them: stand-ins that tests place by file
// name, each with named exports, loaded and freed with reference counts.
// The main module is always there; it exports nothing.
#include <algorithm>
#include <vector>

#include "core/objects.h"
#include "core/text.h"
#include "layer.h"

using namespace platform::detail;

namespace {

struct ModuleObject : Object {
  static constexpr Kind kKind = Kind::Module;
  ModuleObject() : Object(kKind) {}
};

struct Module {
  std::string fileName; // upper case, with its extension
  std::vector<std::pair<std::string, FARPROC>> exports;
  int loads = 0;        // preloaded modules hold one more
  uintptr_t handle = 0; // while loaded
};

std::vector<Module> &Modules() {
  static std::vector<Module> modules;
  return modules;
}

// The file name as Windows matches it: without a directory, upper case,
// ".DLL" added when there is no extension and a trailing dot dropped.
std::string FileKey(const char *name) {
  std::string key(name);
  const std::size_t slash = key.find_last_of("\\/");
  if (slash != std::string::npos) {
    key.erase(0, slash + 1);
  }
  if (!key.empty() && key.back() == '.') {
    key.pop_back();
  } else if (key.find('.') == std::string::npos) {
    key += ".DLL";
  }
  return UpperText(key);
}

Module *ByName(const char *name) {
  if (name == nullptr || IS_INTRESOURCE(name)) {
    return nullptr;
  }
  const std::string key = FileKey(name);
  for (Module &m : Modules()) {
    if (m.fileName == key) {
      return &m;
    }
  }
  return nullptr;
}

Module *ByHandle(HMODULE handle) {
  const uintptr_t value = HandleValue(handle);
  for (Module &m : Modules()) {
    if (value != 0 && m.handle == value) {
      return &m;
    }
  }
  return nullptr;
}

void Load(Module &m, bool preloaded) {
  if (m.loads++ == 0) {
    auto object = std::make_unique<ModuleObject>();
    // Whatever the process had loaded before the program ran is no leak.
    object->stock = preloaded;
    m.handle = AddObject(std::move(object));
  }
}

} // namespace

namespace platform {

void AddModule(const char *fileName, std::vector<ModuleExport> exports,
               bool preloaded) {
  if (fileName == nullptr || fileName[0] == '\0') {
    return;
  }
  Module *m = ByName(fileName);
  if (m == nullptr) {
    Modules().push_back(Module{FileKey(fileName), {}, 0, 0});
    m = &Modules().back();
  }
  m->exports.clear();
  for (const ModuleExport &e : exports) {
    if (e.name != nullptr) {
      m->exports.emplace_back(e.name, e.entry);
    }
  }
  if (preloaded && m->loads == 0) {
    Load(*m, true);
  }
}

void RemoveModules() {
  for (const Module &m : Modules()) {
    RemoveObject(m.handle);
  }
  Modules().clear();
}

int ModuleLoadCount(const char *fileName) {
  const Module *m = ByName(fileName);
  return m == nullptr ? 0 : m->loads;
}

} // namespace platform

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  if (name == nullptr) {
    return ToHandle<HMODULE>(kMainModule);
  }
  const Module *m = ByName(name);
  return m == nullptr || m->loads == 0 ? nullptr : ToHandle<HMODULE>(m->handle);
}

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
  Module *m = ByName(fileName);
  if (m == nullptr) {
    return nullptr;
  }
  Load(*m, false);
  return ToHandle<HMODULE>(m->handle);
}

// Exports are found by their exact name only; ordinals find nothing.
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  const Module *m = ByHandle(module);
  if (m == nullptr || name == nullptr || IS_INTRESOURCE(name)) {
    return nullptr;
  }
  const auto found =
      std::find_if(m->exports.begin(), m->exports.end(),
                   [&](const auto &e) { return e.first == name; });
  return found == m->exports.end() ? nullptr : found->second;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  Module *m = ByHandle(module);
  if (m == nullptr) {
    return FALSE;
  }
  if (--m->loads == 0) {
    RemoveObject(m->handle);
    m->handle = 0;
  }
  return TRUE;
}
