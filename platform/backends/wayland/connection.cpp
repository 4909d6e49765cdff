// Connecting to the compositor, its globals and outputs, waiting and
// dispatching, losing the compositor, the stop signals, and the backend's
// entry points (layer_wayland.h).
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "backends/wayland/wayland.h"
#include "layer_wayland.h"

namespace platform::detail::wayland {
namespace {

// Exit code of a process whose compositor went away under it.
constexpr int kDisplayLostExit = 1;

Wayland &backend() { return TheWayland(); }

void OnGeometry(void *data, wl_output *, int32_t, int32_t, int32_t, int32_t,
                int32_t, const char *, const char *, int32_t transform) {
  static_cast<Output *>(data)->transform = transform;
}
void OnMode(void *data, wl_output *, uint32_t flags, int32_t width,
            int32_t height, int32_t) {
  if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
    auto *output = static_cast<Output *>(data);
    output->width = width;
    output->height = height;
  }
}
void OnOutputDone(void *data, wl_output *) {
  static_cast<Output *>(data)->described = true;
}
void OnScale(void *data, wl_output *, int32_t factor) {
  // The integer scale; a fractional one (sent rounded up) is met with a
  // viewport, from the mode's size (Map).
  static_cast<Output *>(data)->scale = std::clamp(factor, 1, 8);
}
void OnName(void *data, wl_output *, const char *name) {
  static_cast<Output *>(data)->name = name;
}
void OnDescription(void *, wl_output *, const char *) {}
const wl_output_listener outputListener = [] {
  wl_output_listener l{};
  l.geometry = OnGeometry;
  l.mode = OnMode;
  l.done = OnOutputDone;
  l.scale = OnScale;
  l.name = OnName;
  l.description = OnDescription;
  return l;
}();

void OnGlobal(void *, wl_registry *registry, uint32_t name,
              const char *interface, uint32_t version) {
  backend().Global(registry, name, interface, version);
}
void OnGlobalRemove(void *, wl_registry *, uint32_t name) {
  backend().GlobalGone(name);
}
const wl_registry_listener registryListener = [] {
  wl_registry_listener l{};
  l.global = OnGlobal;
  l.global_remove = OnGlobalRemove;
  return l;
}();

void OnPing(void *, xdg_wm_base *base, uint32_t serial) {
  xdg_wm_base_pong(base, serial);
}
const xdg_wm_base_listener wmBaseListener = [] {
  xdg_wm_base_listener l{};
  l.ping = OnPing;
  return l;
}();

template <typename T>
T *Bind(wl_registry *registry, uint32_t name, const wl_interface &interface,
        uint32_t offered, uint32_t wanted) {
  return static_cast<T *>(
      wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

} // namespace

Wayland &TheWayland() {
  static Wayland instance;
  return instance;
}

std::unique_ptr<Output> BindOutput(wl_registry *registry, uint32_t name,
                                   uint32_t version) {
  auto output = std::make_unique<Output>();
  output->global = name;
  // Before version 4 an output has no name: the global's number stands in,
  // the same for every client of the compositor.
  output->name = "wl_output-" + std::to_string(name);
  output->proxy =
      Bind<wl_output>(registry, name, wl_output_interface, version, 4);
  wl_output_add_listener(output->proxy, &outputListener, output.get());
  return output;
}

void Wayland::Global(wl_registry *from, uint32_t name, const char *interface,
                     uint32_t version) {
  const std::string_view is(interface);
  if (is == wl_compositor_interface.name) {
    compositorVersion = std::min(version, 4u);
    compositor = Bind<wl_compositor>(from, name, wl_compositor_interface,
                                     version, compositorVersion);
  } else if (is == wl_shm_interface.name) {
    shm = Bind<wl_shm>(from, name, wl_shm_interface, version, 1);
  } else if (is == wl_seat_interface.name && seat == nullptr) {
    seat = Bind<wl_seat>(from, name, wl_seat_interface, version, 5);
    static const wl_seat_listener listener = [] {
      wl_seat_listener l{};
      l.capabilities = [](void *, wl_seat *, uint32_t capabilities) {
        backend().SeatCapabilities(capabilities);
      };
      l.name = [](void *, wl_seat *, const char *) {};
      return l;
    }();
    wl_seat_add_listener(seat, &listener, nullptr);
  } else if (is == xdg_wm_base_interface.name) {
    wmBase = Bind<xdg_wm_base>(from, name, xdg_wm_base_interface, version, 1);
    xdg_wm_base_add_listener(wmBase, &wmBaseListener, nullptr);
  } else if (is == zwlr_layer_shell_v1_interface.name) {
    layerShell = Bind<zwlr_layer_shell_v1>(
        from, name, zwlr_layer_shell_v1_interface, version, 4);
  } else if (is == wp_viewporter_interface.name) {
    viewporter =
        Bind<wp_viewporter>(from, name, wp_viewporter_interface, version, 1);
  } else if (is == zwlr_screencopy_manager_v1_interface.name) {
    screencopyVersion = std::min(version, 3u);
    screencopy = Bind<zwlr_screencopy_manager_v1>(
        from, name, zwlr_screencopy_manager_v1_interface, version, 3);
  } else if (is == wl_output_interface.name) {
    outputs.push_back(BindOutput(from, name, version));
  }
}

void Wayland::GlobalGone(uint32_t name) {
  if (output != nullptr && output->global == name) {
    OutputGone();
  }
  std::erase_if(outputs, [name](const std::unique_ptr<Output> &o) {
    if (o->global != name) {
      return false;
    }
    wl_output_destroy(o->proxy);
    return true;
  });
}

// Nothing is left to cover: end quietly, and the process that runs one
// saver per output knows why.
void Wayland::OutputGone() { _exit(kWaylandOutputGoneExit); }

void Wayland::Lost() {
  const int error = wl_display_get_error(display);
  if (error == EPROTO) {
    std::fprintf(stderr, "gushmire: the Wayland compositor refused a "
                         "request (protocol error)\n");
  } else {
    std::fprintf(stderr, "gushmire: the Wayland display went away\n");
  }
  // As on X11: the layer is in no state to be used again.
  _exit(kDisplayLostExit);
}

bool Wayland::Open(const char *outputName) {
  if (display != nullptr) {
    return true; // one display per process
  }
  display = wl_display_connect(nullptr);
  if (display == nullptr) {
    return false;
  }
  // A write to a compositor that died must fail, not kill the process.
  std::signal(SIGPIPE, SIG_IGN);
  registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registryListener, nullptr);
  // The second round trip brings the outputs' modes, scales and names.
  if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0) {
    Lost();
  }
  if (compositor == nullptr || shm == nullptr) {
    std::fprintf(stderr, "gushmire: the Wayland display offers no "
                         "wl_compositor or wl_shm\n");
    return false;
  }
  for (const auto &candidate : outputs) {
    if (outputName == nullptr || candidate->name == outputName) {
      output = candidate.get();
      break;
    }
  }
  if (output == nullptr) {
    if (outputName != nullptr) {
      OutputGone();
    }
    std::fprintf(stderr, "gushmire: the Wayland display has no output\n");
    return false;
  }
  int width = output->width, height = output->height;
  if ((output->transform & 1) != 0) {
    std::swap(width, height); // turned a quarter: the mode is on its side
  }
  framebuffer.width = width > 0 ? std::min(width, kMaxFramebufferSide) : 1024;
  framebuffer.height = height > 0 ? std::min(height, kMaxFramebufferSide) : 768;
  framebuffer.bitsPerPixel = 32;
  // Untouched until drawn: a full-screen surface soon lends its buffer.
  framebuffer.Allocate(static_cast<std::size_t>(framebuffer.width) *
                       static_cast<std::size_t>(framebuffer.height));
  start = MonotonicMs();
  return true;
}

void Wayland::Pump(int timeout) {
  int dispatched = 0;
  while (wl_display_prepare_read(display) != 0) {
    const int n = wl_display_dispatch_pending(display);
    if (n < 0) {
      Lost();
    }
    dispatched += n;
  }
  if (dispatched > 0) {
    timeout = 0; // input may be queued already
  }
  if (wl_display_flush(display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(display);
    Lost();
  }
  if (WaitReadable(wl_display_get_fd(display), timeout)) {
    // A compositor that closed the connection fails here.
    if (wl_display_read_events(display) < 0) {
      Lost();
    }
  } else {
    wl_display_cancel_read(display);
  }
  if (wl_display_dispatch_pending(display) < 0) {
    Lost();
  }
}

bool Wayland::DispatchUntil(const std::function<bool()> &done, int seconds) {
  const uint64_t deadline =
      MonotonicMs() + static_cast<uint64_t>(seconds) * 1000u;
  while (!done()) {
    const uint64_t now = MonotonicMs();
    if (now >= deadline) {
      return false;
    }
    Pump(static_cast<int>(deadline - now));
  }
  return true;
}

// SIGTERM and SIGINT end a preview as its parent's destruction would.
bool Wayland::EndPreviewsOnSignals() { return CatchStopSignals(); }

void Wayland::EndPreviewsIfStopped() {
  if (TakeStopRequest()) {
    ForeignWindowGone(kRootId);
  }
}

void Wayland::Poll() {
  EndPreviewsIfStopped();
  Pump(0);
}

void Wayland::Wait(std::optional<uint64_t> deadline) {
  if (StopRequested()) {
    Poll();
    return;
  }
  const int timeout = PollTimeout(deadline, Now());
  Pump(timeout);
  CommitAll(); // what frame callbacks and releases let through
  EndPreviewsIfStopped();
}

bool Wayland::ForeignClientSize(uintptr_t id, int *width, int *height) {
  if (id != kRootId || width == nullptr || height == nullptr) {
    return false;
  }
  *width = framebuffer.width;
  *height = framebuffer.height;
  return true;
}

} // namespace platform::detail::wayland

namespace platform {

bool OpenWaylandDisplay(const char *output) {
  detail::wayland::Wayland &wayland = detail::wayland::backend();
  if (!wayland.Open(output)) {
    return false;
  }
  detail::UseBackend(&wayland);
  return true;
}

uintptr_t WaylandRootWindow() {
  return &detail::TheBackend() == &detail::wayland::backend()
             ? detail::wayland::kRootId
             : 0;
}

} // namespace platform
