// Preloaded into 32-bit Wine processes where they run under qemu's
// user-mode emulation (machines that run no 32-bit code). Without Wine's
// preloader, every process start tries to reserve most of the 4 GiB address
// space with PROT_NONE, MAP_NORESERVE | MAP_FIXED_NOREPLACE mappings,
// halving each range that fails down to 64 KiB; qemu takes each of those
// tens of thousands of calls through its own page tables and a process
// start costs about a minute of CPU. Refusing the reservations at once
// costs nothing: Wine then allocates without them. Built with
// `g++ -m32 -shared -nostdlib`; the symbols it calls come from the C
// library already loaded.
using Size = unsigned int;
using Offset = long;
using Offset64 = long long;

extern "C" {
void *dlsym(void *, const char *);
int *__errno_location();
}

namespace {

void *const nextObject = reinterpret_cast<void *>(-1l); // RTLD_NEXT
void *const mapFailed = reinterpret_cast<void *>(-1l);  // MAP_FAILED
constexpr int protNone = 0;
constexpr int mapNoReserve = 0x4000;
constexpr int mapFixedNoReplace = 0x100000;
constexpr int errorExists = 17; // EEXIST

// mmap and mmap64, which differ only in the offset's type: a reservation is
// refused as if the range were taken, anything else goes to the C library.
template <typename OffsetType>
void *Map(const char *name, void *address, Size length, int prot, int flags,
          int file, OffsetType offset) {
  using Function = void *(*)(void *, Size, int, int, int, OffsetType);
  static Function next = nullptr;
  if (prot == protNone && (flags & mapNoReserve) &&
      (flags & mapFixedNoReplace)) {
    *__errno_location() = errorExists;
    return mapFailed;
  }
  if (!next) {
    next = reinterpret_cast<Function>(dlsym(nextObject, name));
  }
  return next(address, length, prot, flags, file, offset);
}

} // namespace

extern "C" void *mmap64(void *address, Size length, int prot, int flags,
                        int file, Offset64 offset) {
  return Map("mmap64", address, length, prot, flags, file, offset);
}

extern "C" void *mmap(void *address, Size length, int prot, int flags, int file,
                      Offset offset) {
  return Map("mmap", address, length, prot, flags, file, offset);
}
