// The main module's embedded resources, looked up as FindResourceA does.
#include <cctype>
#include <cstdlib>

#include "core/objects.h"
#include "layer.h"

using namespace platform::detail;

namespace {

platform::ResourceTable &CurrentTable() {
  static platform::ResourceTable table{nullptr, 0};
  return table;
}

struct LoadedResource : Object {
  static constexpr Kind kKind = Kind::Resource;
  LoadedResource() : Object(kKind) {}
  const unsigned char *data = nullptr;
};

bool SameText(const char *a, const char *b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (std::toupper(static_cast<unsigned char>(*a)) !=
        std::toupper(static_cast<unsigned char>(*b))) {
      return false;
    }
  }
  return *a == *b;
}

// A name or type given as a number, by MAKEINTRESOURCE or as "#123".
bool NumberOf(LPCSTR key, WORD &number) {
  if (IS_INTRESOURCE(key)) {
    number = static_cast<WORD>(reinterpret_cast<uintptr_t>(key));
    return true;
  }
  if (key[0] != '#' || key[1] == '\0') {
    return false;
  }
  unsigned long value = 0;
  for (const char *c = key + 1; *c != '\0'; ++c) {
    if (!std::isdigit(static_cast<unsigned char>(*c)) || value > 0xFFFF) {
      return false;
    }
    value = value * 10 + static_cast<unsigned long>(*c - '0');
  }
  if (value > 0xFFFF) {
    return false;
  }
  number = static_cast<WORD>(value);
  return true;
}

bool Matches(LPCSTR key, const char *text, WORD id) {
  WORD number = 0;
  if (NumberOf(key, number)) {
    return text == nullptr && id == number;
  }
  return text != nullptr && SameText(key, text);
}

bool MainModule(HMODULE module) {
  return module == nullptr || HandleValue(module) == kMainModule;
}

// The table entry behind an HRSRC, or nullptr if it is not one.
const platform::EmbeddedResource *EntryOf(HRSRC resource) {
  const platform::ResourceTable &t = CurrentTable();
  const auto value = HandleValue(resource);
  const auto first = reinterpret_cast<uintptr_t>(t.entries);
  const std::size_t size = sizeof(platform::EmbeddedResource);
  if (t.entries == nullptr || value < first ||
      value >= first + t.count * size || (value - first) % size != 0) {
    return nullptr;
  }
  return t.entries + (value - first) / size;
}

} // namespace

namespace platform {
ResourceTable SetModuleResources(ResourceTable table) {
  const ResourceTable previous = CurrentTable();
  CurrentTable() = table.entries == nullptr ? ResourceTable{nullptr, 0} : table;
  return previous;
}
} // namespace platform

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  if (!MainModule(module) || name == nullptr || type == nullptr) {
    return nullptr;
  }
  const platform::ResourceTable &t = CurrentTable();
  for (std::size_t i = 0; i < t.count; ++i) {
    const platform::EmbeddedResource &e = t.entries[i];
    if (Matches(type, e.typeName, e.typeId) &&
        Matches(name, e.name, e.nameId)) {
      return ToHandle<HRSRC>(reinterpret_cast<uintptr_t>(&e));
    }
  }
  return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
  const platform::EmbeddedResource *entry = EntryOf(resource);
  if (!MainModule(module) || entry == nullptr) {
    return nullptr;
  }
  auto loaded = std::make_unique<LoadedResource>();
  loaded->data = entry->data;
  return ToHandle<HGLOBAL>(AddObject(std::move(loaded)));
}

LPVOID WINAPI LockResource(HGLOBAL resource) {
  const LoadedResource *loaded = Find<LoadedResource>(resource);
  return loaded == nullptr ? nullptr
                           : const_cast<unsigned char *>(loaded->data);
}

BOOL WINAPI FreeResource(HGLOBAL resource) {
  if (Find<LoadedResource>(resource) != nullptr) {
    RemoveObject(HandleValue(resource));
  }
  return FALSE; // as on Win32, where the call is kept only for old code
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
  const platform::EmbeddedResource *entry = EntryOf(resource);
  return MainModule(module) && entry != nullptr ? entry->size : 0;
}
