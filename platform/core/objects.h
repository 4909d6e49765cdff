// The layer's object table: every handle the layer hands out is an id into
// this table, so a stale, foreign or null handle is found out by a lookup
// instead of being dereferenced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "winapi.h"

namespace platform::detail {

// The main module's handle, as GetModuleHandleA(NULL) returns it.
constexpr uintptr_t kMainModule = 0x400000;

enum class Kind {
  Region,
  Bitmap,
  Palette,
  Brush,
  Dc,
  Window,
  Timer,
  Resource,
  RegistryKey,
  Module,
  LocalMemory,
  Icon,
  Font,
};

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Object(const Object &) = delete;
  Object &operator=(const Object &) = delete;
  Kind kind;
  bool stock = false; // stock objects are never counted nor deleted
};

// Takes ownership and returns the new handle value (never 0).
uintptr_t AddObject(std::unique_ptr<Object> object);
// Destroys the object behind the handle; false if there is none.
bool RemoveObject(uintptr_t handle);
Object *FindObject(uintptr_t handle);

inline uintptr_t HandleValue(const void *handle) {
  return reinterpret_cast<uintptr_t>(handle);
}
template <class H> H ToHandle(uintptr_t value) {
  return reinterpret_cast<H>(value);
}

// Looks up a handle of the kind T holds; nullptr when the handle is null,
// stale or of another kind.
template <class T> T *Find(const void *handle) {
  Object *object = FindObject(HandleValue(handle));
  if (object == nullptr || object->kind != T::kKind) {
    return nullptr;
  }
  return static_cast<T *>(object);
}

} // namespace platform::detail
