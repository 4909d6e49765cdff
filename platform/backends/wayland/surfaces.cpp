// Our surfaces and how the framebuffer reaches them: a surface's damaged
// boxes are copied into whichever of its two shm buffers the compositor has
// released, and committed at most once a frame (frame callbacks). What is
// drawn meanwhile gathers in `pending`; what a buffer missed while the
// other was shown gathers in its `stale`, so no step is ever lost.
//
// The full-screen surface covering the whole framebuffer (the lender) is
// drawn into directly: the framebuffer's pixels are in one of its buffers.
// Committing that buffer hands it to the compositor, so the other one is
// lent instead, once the compositor lets go of it and its stale boxes are
// copied across. That swap happens only in Present and Wait, never within
// a drawing; a compositor that keeps both buffers, or closes the surface,
// gets the framebuffer its own memory back, and the copies of the others.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "backends/wayland/wayland.h"

namespace platform::detail::wayland {
namespace {

// More boxes than this become their bounding box.
constexpr std::size_t kMaxBoxes = 16;

void AddBox(std::vector<RECT> &boxes, const RECT &box) {
  AddDamage(boxes, box, kMaxBoxes);
}

Surface *Of(void *data) { return static_cast<Surface *>(data); }

void OnLayerConfigure(void *data, zwlr_layer_surface_v1 *layer, uint32_t serial,
                      uint32_t width, uint32_t height) {
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  Surface &s = *Of(data);
  s.configured = true;
  // Sizes past any screen are no sizes: the surface keeps its own.
  constexpr auto kMost = static_cast<uint32_t>(kMaxFramebufferSide);
  const bool sane =
      width > 0 && height > 0 && width <= kMost && height <= kMost;
  s.configuredWidth = sane ? static_cast<int32_t>(width) : 0;
  s.configuredHeight = sane ? static_cast<int32_t>(height) : 0;
  if (s.viewport != nullptr && sane) {
    wp_viewport_set_destination(s.viewport, s.configuredWidth,
                                s.configuredHeight);
  }
}
void OnLayerClosed(void *data, zwlr_layer_surface_v1 *) {
  Of(data)->closed = true;
}
const zwlr_layer_surface_v1_listener layerListener = [] {
  zwlr_layer_surface_v1_listener l{};
  l.configure = OnLayerConfigure;
  l.closed = OnLayerClosed;
  return l;
}();

void OnXdgConfigure(void *data, xdg_surface *xdg, uint32_t serial) {
  xdg_surface_ack_configure(xdg, serial);
  Of(data)->configured = true;
}
const xdg_surface_listener xdgListener = [] {
  xdg_surface_listener l{};
  l.configure = OnXdgConfigure;
  return l;
}();

void OnToplevelConfigure(void *, xdg_toplevel *, int32_t, int32_t, wl_array *) {
}
void OnToplevelClose(void *data, xdg_toplevel *) {
  QueueClose(Of(data)->window);
}
// configure_bounds and wm_capabilities come only at later versions than the
// one we bind.
const xdg_toplevel_listener toplevelListener = [] {
  xdg_toplevel_listener l{};
  l.configure = OnToplevelConfigure;
  l.close = OnToplevelClose;
  return l;
}();

} // namespace

bool ShmBuffer::Create(wl_shm *shm, int width, int height, int stride,
                       uint32_t format) {
  bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  const int fd = memfd_create("gushmire", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
    if (fd >= 0) {
      close(fd);
    }
    return false;
  }
  void *memory =
      mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) {
    close(fd);
    return false;
  }
  pixels = static_cast<uint32_t *>(memory);
  wl_shm_pool *pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(bytes));
  buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
  wl_shm_pool_destroy(pool);
  close(fd);
  return true;
}

void ShmBuffer::Destroy() {
  if (buffer != nullptr) {
    wl_buffer_destroy(buffer);
  }
  if (pixels != nullptr) {
    munmap(pixels, bytes);
  }
  *this = ShmBuffer{};
}

namespace {

// Rows of `box` (clipped to the buffers) from one buffer to another of
// `width` x `height` pixels.
void CopyBox(const uint32_t *from, uint32_t *to, int width, int height,
             const RECT &box) {
  const RECT part = Intersect(box, RECT{0, 0, width, height});
  if (Empty(part)) {
    return;
  }
  const auto count = static_cast<std::size_t>(part.right - part.left);
  for (LONG row = part.top; row < part.bottom; ++row) {
    const std::size_t at =
        static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
        static_cast<std::size_t>(part.left);
    std::memcpy(to + at, from + at, count * sizeof(uint32_t));
  }
}

std::size_t PixelCount(const Surface &s) {
  return static_cast<std::size_t>(s.Width()) *
         static_cast<std::size_t>(s.Height());
}

} // namespace

void Wayland::CreatePeer(uintptr_t window, const PeerWindow &how) {
  auto made = std::make_unique<Surface>();
  Surface &surface = *made;
  surface.window = window;
  surface.area = how.area;
  surface.area.right = std::max(surface.area.right, surface.area.left + 1);
  surface.area.bottom = std::max(surface.area.bottom, surface.area.top + 1);
  if (how.parent != 0) {
    if (how.parent != kRootId) {
      return; // no foreign window but the stand-in root
    }
    surface.role = Role::Background;
  } else {
    surface.role = how.topmost ? Role::Overlay : Role::Dialog;
  }
  if (surface.role == Role::Overlay) {
    // The saver draws over the desktop as it was, as on Windows.
    CaptureOutput();
    // The whole framebuffer changed under the surfaces already shown.
    for (auto &[shown, other] : surfaces) {
      if (other->surface != nullptr) {
        AddBox(other->pending, RECT{0, 0, other->Width(), other->Height()});
      }
    }
  }
  surfaces[window] = std::move(made);
  if (surface.role != Role::Dialog) {
    // Mapped before the window's WM_CREATE, so the pointer's place is
    // known when the host first asks for it.
    Map(surface, "Gushmire");
  }
}

void Wayland::ShowPeer(uintptr_t window, const char *title) {
  const auto found = surfaces.find(window);
  if (found != surfaces.end() && found->second->surface == nullptr) {
    Map(*found->second, title);
  }
}

void Wayland::HidePeer(uintptr_t window) {
  const auto found = surfaces.find(window);
  if (found != surfaces.end()) {
    Unmap(*found->second);
  }
}

void Wayland::DestroyPeer(uintptr_t window) {
  const auto found = surfaces.find(window);
  if (found != surfaces.end()) {
    Unmap(*found->second);
    surfaces.erase(found);
  }
}

void Wayland::Map(Surface &s, const char *title) {
  const bool full = s.role != Role::Dialog;
  s.surface = wl_compositor_create_surface(compositor);
  wl_surface_set_user_data(s.surface, &s);
  if (full && layerShell != nullptr) {
    s.layer = zwlr_layer_shell_v1_get_layer_surface(
        layerShell, s.surface, output->proxy,
        s.role == Role::Overlay ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY
                                : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND,
        "gushmire");
    zwlr_layer_surface_v1_add_listener(s.layer, &layerListener, &s);
    zwlr_layer_surface_v1_set_size(s.layer, 0, 0);
    zwlr_layer_surface_v1_set_anchor(s.layer,
                                     ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(s.layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        s.layer, s.role == Role::Overlay
                     ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                     : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
  } else if (wmBase != nullptr) {
    s.xdg = xdg_wm_base_get_xdg_surface(wmBase, s.surface);
    xdg_surface_add_listener(s.xdg, &xdgListener, &s);
    s.toplevel = xdg_surface_get_toplevel(s.xdg);
    xdg_toplevel_add_listener(s.toplevel, &toplevelListener, &s);
    xdg_toplevel_set_title(s.toplevel, title);
    xdg_toplevel_set_app_id(s.toplevel, "gushmire");
    if (full) {
      xdg_toplevel_set_fullscreen(s.toplevel, output->proxy);
    } else {
      xdg_toplevel_set_min_size(s.toplevel, s.Width(), s.Height());
      xdg_toplevel_set_max_size(s.toplevel, s.Width(), s.Height());
    }
  } else {
    std::fprintf(stderr, "gushmire: the Wayland display offers no shell "
                         "(neither layer shell nor xdg-shell)\n");
    s.closed = true;
    return;
  }
  // Full screen at the output's device pixels; a dialog keeps its size in
  // logical pixels, so its text stays readable at any scale.
  s.scale = full ? output->scale : 1;
  wl_surface_set_buffer_scale(s.surface, s.scale);
  wl_surface_commit(s.surface);
  mapping = true;
  if (!DispatchUntil([&s] { return s.configured || s.closed; })) {
    std::fprintf(stderr, "gushmire: the Wayland compositor did not "
                         "configure our surface\n");
  }
  if (s.closed && s.layer != nullptr) {
    OutputGone(); // the compositor closes layer surfaces of lost outputs
  }
  if (s.layer != nullptr && viewporter != nullptr && s.configuredWidth > 0 &&
      (s.configuredWidth * s.scale != s.Width() ||
       s.configuredHeight * s.scale != s.Height())) {
    s.viewport = wp_viewporter_get_viewport(viewporter, s.surface);
    wp_viewport_set_destination(s.viewport, s.configuredWidth,
                                s.configuredHeight);
    s.scale = 1;
    wl_surface_set_buffer_scale(s.surface, 1);
  }
  Adopt(s);
  s.pending.assign(1, RECT{0, 0, s.Width(), s.Height()});
  Commit(s);
  // The compositor tells where the pointer is once the surface shows (sway
  // 1.7; sway 1.10 tells nothing until the pointer moves).
  if (wl_display_roundtrip(display) < 0) {
    Lost();
  }
  mapping = false;
}

void Wayland::Unmap(Surface &s) {
  if (pointerIn == &s) {
    pointerIn = nullptr;
  }
  if (lender == &s) {
    Detach(); // before its buffers go
  }
  if (s.frame != nullptr) {
    wl_callback_destroy(s.frame);
  }
  for (ShmBuffer &buffer : s.buffers) {
    buffer.Destroy();
  }
  if (s.viewport != nullptr) {
    wp_viewport_destroy(s.viewport);
  }
  if (s.layer != nullptr) {
    zwlr_layer_surface_v1_destroy(s.layer);
  }
  if (s.toplevel != nullptr) {
    xdg_toplevel_destroy(s.toplevel);
  }
  if (s.xdg != nullptr) {
    xdg_surface_destroy(s.xdg);
  }
  if (s.surface != nullptr) {
    wl_surface_destroy(s.surface);
  }
  const uintptr_t window = s.window;
  const Role role = s.role;
  const RECT area = s.area;
  s = Surface{};
  s.window = window;
  s.role = role;
  s.area = area;
  wl_display_flush(display);
}

void Wayland::Present(const RECT &area) {
  for (auto &[window, surface] : surfaces) {
    if (surface->surface == nullptr) {
      continue;
    }
    const RECT part = Intersect(area, surface->area);
    AddBox(surface->pending,
           RECT{part.left - surface->area.left, part.top - surface->area.top,
                part.right - surface->area.left,
                part.bottom - surface->area.top});
  }
  CommitAll();
}

void Wayland::CommitAll() {
  for (auto &[window, surface] : surfaces) {
    if (surface->surface != nullptr) {
      Commit(*surface);
    }
  }
  wl_display_flush(display);
}

// Events come in the layer's Poll too, which may fall within a drawing:
// the lender waits for Present or Wait.
void Wayland::FrameDone(Surface &s) {
  wl_callback_destroy(s.frame);
  s.frame = nullptr;
  if (&s != lender) {
    Commit(s);
  }
}

void Wayland::Released(Surface &s) {
  if (&s != lender) {
    Commit(s);
  }
}

bool Wayland::Prepare(Surface &s, ShmBuffer &buffer) {
  if (!buffer.Create(shm, s.Width(), s.Height(), s.Width() * 4,
                     WL_SHM_FORMAT_XRGB8888)) {
    std::fprintf(stderr, "gushmire: no shared memory for a buffer\n");
    return false;
  }
  static const wl_buffer_listener listener = [] {
    wl_buffer_listener l{};
    l.release = [](void *data, wl_buffer *released) {
      for (ShmBuffer &b : Of(data)->buffers) {
        b.busy = b.busy && b.buffer != released;
      }
      TheWayland().Released(*Of(data));
    };
    return l;
  }();
  wl_buffer_add_listener(buffer.buffer, &listener, &s);
  buffer.stale.assign(1, RECT{0, 0, s.Width(), s.Height()});
  return true;
}

void Wayland::Adopt(Surface &s) {
  const std::size_t count = PixelCount(s);
  if (lender != nullptr || s.role == Role::Dialog || s.closed ||
      !s.configured || s.area.left != 0 || s.area.top != 0 ||
      s.Width() != framebuffer.width || s.Height() != framebuffer.height ||
      framebuffer.pixels.size() != count) {
    return;
  }
  ShmBuffer &first = s.buffers[0];
  if (!Prepare(s, first)) {
    return; // the copies then, as for any other surface
  }
  std::memcpy(first.pixels, framebuffer.pixels.data(),
              count * sizeof(uint32_t));
  first.stale.clear();
  framebuffer.Lend(std::span<uint32_t>(first.pixels, count));
  s.drawing = 0;
  lender = &s;
}

void Wayland::Detach() {
  if (lender == nullptr) {
    return;
  }
  Surface &s = *lender;
  lender = nullptr;
  // The lent buffer is the whole picture; the others' stale boxes and the
  // pending ones already say what the copies must bring them.
  const std::size_t count = PixelCount(s);
  framebuffer.Allocate(count);
  std::memcpy(framebuffer.pixels.data(), s.buffers[s.drawing].pixels,
              count * sizeof(uint32_t));
}

void Wayland::CommitLent(Surface &s) {
  ShmBuffer &drawn = s.buffers[s.drawing];
  ShmBuffer &next = s.buffers[1 - s.drawing];
  if (next.buffer == nullptr && !Prepare(s, next)) {
    Detach(); // one buffer cannot be both shown and drawn
    Commit(s);
    return;
  }
  Show(s, drawn);
  // A compositor that keeps the shown buffer until the next commit lets go
  // of the other one now: the next drawing waits for that.
  if (next.busy) {
    DispatchUntil([&] { return !next.busy || s.closed; }, 2);
  }
  if (next.busy) {
    if (!s.closed) {
      std::fprintf(stderr, "gushmire: the Wayland compositor keeps both "
                           "buffers: copying the framebuffer from now on\n");
    }
    Detach();
    return;
  }
  for (const RECT &box : next.stale) {
    CopyBox(drawn.pixels, next.pixels, s.Width(), s.Height(), box);
  }
  next.stale.clear();
  s.drawing = 1 - s.drawing;
  framebuffer.Lend(std::span<uint32_t>(next.pixels, PixelCount(s)));
}

void Wayland::Commit(Surface &s) {
  if (!s.configured || s.closed || s.frame != nullptr || s.pending.empty()) {
    return;
  }
  if (&s == lender) {
    CommitLent(s);
    return;
  }
  auto free = std::find_if(s.buffers.begin(), s.buffers.end(),
                           [](const ShmBuffer &b) { return !b.busy; });
  if (free == s.buffers.end()) {
    return; // both held: a release comes, and commits then
  }
  ShmBuffer &buffer = *free;
  if (buffer.buffer == nullptr && !Prepare(s, buffer)) {
    s.pending.clear();
    return;
  }
  const auto copy = [&](const RECT &box) {
    const std::size_t width = static_cast<std::size_t>(box.right - box.left);
    for (LONG row = box.top; row < box.bottom; ++row) {
      const uint32_t *from =
          framebuffer.pixels.data() +
          static_cast<std::size_t>(s.area.top + row) * framebuffer.width +
          static_cast<std::size_t>(s.area.left + box.left);
      std::memcpy(buffer.pixels + static_cast<std::size_t>(row) * s.Width() +
                      box.left,
                  from, width * sizeof(uint32_t));
    }
  };
  const RECT screenBox = {-s.area.left, -s.area.top,
                          framebuffer.width - s.area.left,
                          framebuffer.height - s.area.top};
  for (const RECT &box : buffer.stale) {
    copy(Intersect(box, screenBox));
  }
  for (const RECT &box : s.pending) {
    copy(Intersect(box, screenBox));
  }
  Show(s, buffer);
}

void Wayland::Show(Surface &s, ShmBuffer &buffer) {
  wl_surface_attach(s.surface, buffer.buffer, 0, 0);
  for (const RECT &box : s.pending) {
    if (compositorVersion >= 4) {
      wl_surface_damage_buffer(s.surface, box.left, box.top,
                               box.right - box.left, box.bottom - box.top);
    } else if (s.viewport != nullptr) {
      // Surface units are no whole number of pixels: all of it.
      wl_surface_damage(s.surface, 0, 0, INT32_MAX, INT32_MAX);
    } else {
      wl_surface_damage(s.surface, box.left / s.scale, box.top / s.scale,
                        (box.right - box.left + s.scale - 1) / s.scale + 1,
                        (box.bottom - box.top + s.scale - 1) / s.scale + 1);
    }
  }
  static const wl_callback_listener frameListener = [] {
    wl_callback_listener l{};
    l.done = [](void *data, wl_callback *, uint32_t) {
      TheWayland().FrameDone(*Of(data));
    };
    return l;
  }();
  s.frame = wl_surface_frame(s.surface);
  wl_callback_add_listener(s.frame, &frameListener, &s);
  wl_surface_commit(s.surface);
  buffer.busy = true;
  buffer.stale.clear();
  for (ShmBuffer &other : s.buffers) {
    if (&other != &buffer && other.buffer != nullptr) {
      for (const RECT &box : s.pending) {
        AddBox(other.stale, box);
      }
    }
  }
  s.pending.clear();
}

} // namespace platform::detail::wayland
