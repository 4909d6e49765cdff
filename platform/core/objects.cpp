#include "core/objects.h"

#include <unordered_map>

#include "layer.h"

namespace platform::detail {
namespace {

struct Table {
  std::unordered_map<uintptr_t, std::unique_ptr<Object>> objects;
  // Ids are never reused, so an old handle cannot reach a newer object.
  // They step by 4 and all have bit 30 set, so that no handle looks like a
  // small integer resource id, a null pointer or an X window id (backend.h).
  uintptr_t nextId = 0x40010000;
  std::size_t counted = 0;
};

Table &table() {
  static Table instance;
  return instance;
}

} // namespace

uintptr_t AddObject(std::unique_ptr<Object> object) {
  Table &t = table();
  const uintptr_t id = t.nextId;
  t.nextId += 4;
  if (!object->stock) {
    ++t.counted;
  }
  t.objects.emplace(id, std::move(object));
  return id;
}

bool RemoveObject(uintptr_t handle) {
  Table &t = table();
  auto found = t.objects.find(handle);
  if (found == t.objects.end()) {
    return false;
  }
  // Move out first: the destructor may look up other objects.
  std::unique_ptr<Object> object = std::move(found->second);
  t.objects.erase(found);
  if (!object->stock) {
    --t.counted;
  }
  return true;
}

Object *FindObject(uintptr_t handle) {
  if (handle == 0) {
    return nullptr;
  }
  Table &t = table();
  auto found = t.objects.find(handle);
  return found == t.objects.end() ? nullptr : found->second.get();
}

} // namespace platform::detail

namespace platform {
std::size_t LiveObjectCount() { return detail::table().counted; }
} // namespace platform
