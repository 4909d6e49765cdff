// LocalAlloc and LocalFree: fixed blocks only.
#include <cstring>
#include <map>
#include <new>

#include "core/objects.h"

using namespace platform::detail;

namespace {

// A fixed block: the HLOCAL is the memory itself, so the object table
// holds a record of it under its own id for the live-object count.
struct LocalBlock : Object {
  static constexpr Kind kKind = Kind::LocalMemory;
  explicit LocalBlock(std::unique_ptr<unsigned char[]> m)
      : Object(kKind), memory(std::move(m)) {}
  std::unique_ptr<unsigned char[]> memory;
};

std::map<uintptr_t, uintptr_t> &Blocks() { // address -> object id
  static std::map<uintptr_t, uintptr_t> blocks;
  return blocks;
}

// Larger requests fail as they would in a 32-bit process's address space.
constexpr SIZE_T kMaxLocalBlock = SIZE_T{1} << 30;

} // namespace

HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes) {
  // Only fixed blocks: a movable block's handle is not its memory.
  if ((flags & ~static_cast<UINT>(LMEM_ZEROINIT)) != 0 ||
      bytes > kMaxLocalBlock) {
    return nullptr;
  }
  std::unique_ptr<unsigned char[]> memory(
      new (std::nothrow) unsigned char[bytes == 0 ? 1 : bytes]);
  if (!memory) {
    return nullptr;
  }
  if ((flags & LMEM_ZEROINIT) != 0) {
    std::memset(memory.get(), 0, bytes);
  }
  void *address = memory.get();
  Blocks()[HandleValue(address)] =
      AddObject(std::make_unique<LocalBlock>(std::move(memory)));
  return address;
}

HLOCAL WINAPI LocalFree(HLOCAL memory) {
  if (memory == nullptr) {
    return nullptr;
  }
  const auto found = Blocks().find(HandleValue(memory));
  if (found == Blocks().end()) {
    return memory;
  }
  RemoveObject(found->second);
  Blocks().erase(found);
  return nullptr;
}
