// --keep-desktop: each output's picture as it was before the lock, read
// through wlr-screencopy while the desktop still shows, kept sealed for the
// savers of that output (a restarted one starts from it again).
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "backends/wayland/lock_holder.h"

namespace platform::detail::wayland::holder {
namespace {

// All outputs together wait this long at most; past it, black.
constexpr uint64_t kCaptureMs = 2000;

struct Found {
  zwlr_screencopy_manager_v1 *manager = nullptr;
  uint32_t version = 0;
};

void OnGlobal(void *data, wl_registry *registry, uint32_t name,
              const char *interface, uint32_t version) {
  Found &found = *static_cast<Found *>(data);
  if (found.manager == nullptr &&
      std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
    found.version = std::min(version, 3u);
    found.manager = static_cast<zwlr_screencopy_manager_v1 *>(wl_registry_bind(
        registry, name, &zwlr_screencopy_manager_v1_interface, found.version));
  }
}
const wl_registry_listener registryListener = [] {
  wl_registry_listener l{};
  l.global = OnGlobal;
  l.global_remove = [](void *, wl_registry *, uint32_t) {};
  return l;
}();

Screen *ScreenOf(uint32_t global) {
  for (auto &s : TheHolder().screens) {
    if (s->output->global == global) {
      return s.get();
    }
  }
  return nullptr;
}

// One output's picture in a memfd of exactly its size, or -1.
struct Picture {
  int fd = -1;
  void *pixels = MAP_FAILED;
  std::size_t bytes = 0;
  int width = 0, height = 0;

  CaptureTarget Place(int w, int h) {
    bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4u;
    fd = memfd_create("gushmire-desktop", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
      return {};
    }
    pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
      return {};
    }
    width = w;
    height = h;
    return {static_cast<uint32_t *>(pixels), static_cast<std::size_t>(w), w, h};
  }
  // The descriptor once the picture is in, sealed so that no saver can
  // change what the next one starts from; -1 otherwise.
  int Finish(bool copied) {
    if (pixels != MAP_FAILED) {
      munmap(pixels, bytes);
    }
    constexpr int kSeals =
        F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL;
    if (copied && fcntl(fd, F_ADD_SEALS, kSeals) == 0) {
      return fd;
    }
    if (fd >= 0) {
      close(fd);
    }
    return -1;
  }
};

} // namespace

void CaptureDesktops(void (*pump)(int timeout)) {
  Holder &h = TheHolder();
  Found found;
  wl_registry *registry = wl_display_get_registry(h.display);
  wl_registry_add_listener(registry, &registryListener, &found);
  if (wl_display_roundtrip(h.display) < 0) {
    Lost();
  }
  wl_registry_destroy(registry);
  if (found.manager == nullptr) {
    std::fprintf(stderr, "gushmire: the Wayland display offers no "
                         "screencopy: the lock starts from black\n");
    return;
  }
  // Outputs may come and go while we wait: by their names, not pointers.
  std::vector<uint32_t> globals;
  for (auto &s : h.screens) {
    globals.push_back(s->output->global);
  }
  const Screencopy from{found.manager, found.version, h.shm};
  const uint64_t deadline = MonotonicMs() + kCaptureMs;
  for (const uint32_t global : globals) {
    Screen *s = ScreenOf(global);
    if (s == nullptr || !s->output->described) {
      continue;
    }
    Picture picture;
    const bool copied = CopyOutput(from, s->output->proxy, deadline, pump,
                                   [&picture](int width, int height) {
                                     return picture.Place(width, height);
                                   });
    const int fd = picture.Finish(copied);
    s = ScreenOf(global);
    if (s == nullptr) {
      if (fd >= 0) {
        close(fd);
      }
      continue;
    }
    if (fd < 0) {
      std::fprintf(stderr,
                   "gushmire: the picture of %s could not be read: its "
                   "lock starts from black\n",
                   s->output->name.c_str());
      continue;
    }
    s->desktop = fd;
    s->desktopWidth = picture.width;
    s->desktopHeight = picture.height;
  }
  zwlr_screencopy_manager_v1_destroy(found.manager);
}

} // namespace platform::detail::wayland::holder
