// Checks our layer-shell and screencopy descriptions against a real
// compositor: a wrong opcode or argument there shows as a protocol error or
// a wrong picture here.
//
//   wlprobe capture OUTPUT        one screencopy frame of OUTPUT; prints
//                                 "WIDTHxHEIGHT RRGGBB" (size, middle pixel)
//   wlprobe cover OUTPUT RRGGBB   an overlay layer surface of that colour over
//                                 all of OUTPUT at its device pixels; prints
//                                 "covered WxH scale S", stays until killed
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Output {
  wl_output *proxy = nullptr;
  std::string name;
  int32_t scale = 1;
};

struct State {
  wl_compositor *compositor = nullptr;
  wl_shm *shm = nullptr;
  zwlr_layer_shell_v1 *layer_shell = nullptr;
  zwlr_screencopy_manager_v1 *screencopy = nullptr;
  std::vector<std::unique_ptr<Output>> outputs;
};

void on_geometry(void *, wl_output *, int32_t, int32_t, int32_t, int32_t,
                 int32_t, const char *, const char *, int32_t) {}
void on_mode(void *, wl_output *, uint32_t, int32_t, int32_t, int32_t) {}
void on_done(void *, wl_output *) {}
void on_scale(void *data, wl_output *, int32_t factor) {
  static_cast<Output *>(data)->scale = factor;
}
void on_name(void *data, wl_output *, const char *name) {
  static_cast<Output *>(data)->name = name;
}
void on_description(void *, wl_output *, const char *) {}
const wl_output_listener output_listener = {
    on_geometry, on_mode, on_done, on_scale, on_name, on_description};

template <typename T>
T *bind(wl_registry *registry, uint32_t name, const wl_interface &interface,
        uint32_t offered, uint32_t wanted) {
  return static_cast<T *>(wl_registry_bind(
      registry, name, &interface, offered < wanted ? offered : wanted));
}

void on_global(void *data, wl_registry *registry, uint32_t name,
               const char *interface, uint32_t version) {
  auto *state = static_cast<State *>(data);
  std::string_view is(interface);
  if (is == wl_compositor_interface.name) {
    state->compositor = bind<wl_compositor>(
        registry, name, wl_compositor_interface, version, 4);
  } else if (is == wl_shm_interface.name) {
    state->shm = bind<wl_shm>(registry, name, wl_shm_interface, version, 1);
  } else if (is == zwlr_layer_shell_v1_interface.name) {
    state->layer_shell = bind<zwlr_layer_shell_v1>(
        registry, name, zwlr_layer_shell_v1_interface, version, 4);
  } else if (is == zwlr_screencopy_manager_v1_interface.name) {
    state->screencopy = bind<zwlr_screencopy_manager_v1>(
        registry, name, zwlr_screencopy_manager_v1_interface, version, 3);
  } else if (is == wl_output_interface.name && version >= 4) {
    // Version 4 names the output.
    auto output = std::make_unique<Output>();
    output->proxy =
        bind<wl_output>(registry, name, wl_output_interface, version, 4);
    wl_output_add_listener(output->proxy, &output_listener, output.get());
    state->outputs.push_back(std::move(output));
  }
}
void on_global_remove(void *, wl_registry *, uint32_t) {}
const wl_registry_listener registry_listener = {on_global, on_global_remove};

// A wl_shm buffer of width x height pixels of 4 bytes, mapped here.
struct ShmBuffer {
  wl_buffer *buffer = nullptr;
  uint32_t *pixels = nullptr;
  size_t size = 0;

  bool create(wl_shm *shm, int32_t width, int32_t height, int32_t stride,
              uint32_t format) {
    size = static_cast<size_t>(stride) * static_cast<size_t>(height);
    int fd = memfd_create("wlprobe", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
      if (fd >= 0)
        close(fd);
      return false;
    }
    void *map = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) {
      close(fd);
      return false;
    }
    pixels = static_cast<uint32_t *>(map);
    wl_shm_pool *pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(size));
    buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
    wl_shm_pool_destroy(pool);
    close(fd);
    return true;
  }
  ~ShmBuffer() {
    if (buffer)
      wl_buffer_destroy(buffer);
    if (pixels)
      munmap(pixels, size);
  }
};

struct Frame {
  uint32_t format = 0, width = 0, height = 0, stride = 0;
  bool offered = false, described = false, ready = false, failed = false;
  uint32_t flags = 0;
};
void on_buffer(void *data, zwlr_screencopy_frame_v1 *, uint32_t format,
               uint32_t width, uint32_t height, uint32_t stride) {
  auto *frame = static_cast<Frame *>(data);
  *frame = Frame{format, width, height, stride, true};
}
void on_flags(void *data, zwlr_screencopy_frame_v1 *, uint32_t flags) {
  static_cast<Frame *>(data)->flags = flags;
}
void on_ready(void *data, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t,
              uint32_t) {
  static_cast<Frame *>(data)->ready = true;
}
void on_failed(void *data, zwlr_screencopy_frame_v1 *) {
  static_cast<Frame *>(data)->failed = true;
}
void on_damage(void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t,
               uint32_t) {}
void on_dmabuf(void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t,
               uint32_t) {}
void on_buffer_done(void *data, zwlr_screencopy_frame_v1 *) {
  static_cast<Frame *>(data)->described = true;
}
const zwlr_screencopy_frame_v1_listener frame_listener = {
    on_buffer, on_flags,  on_ready,      on_failed,
    on_damage, on_dmabuf, on_buffer_done};

// Runs a clean-up at scope exit, so every proxy is gone on every path
// (LeakSanitizer counts the ones left).
template <typename F> struct Defer {
  F f;
  ~Defer() { f(); }
};
template <typename F> Defer(F) -> Defer<F>;

int fail(const char *why) {
  std::fprintf(stderr, "wlprobe: %s\n", why);
  return 1;
}

// Dispatches until done() or the connection breaks.
template <typename Done> bool dispatch_until(wl_display *display, Done done) {
  while (!done())
    if (wl_display_dispatch(display) < 0)
      return false;
  return true;
}

int capture(wl_display *display, State &state, Output &output) {
  if (!state.screencopy || !state.shm)
    return fail("no wlr screencopy or wl_shm");
  Frame frame;
  zwlr_screencopy_frame_v1 *proxy = zwlr_screencopy_manager_v1_capture_output(
      state.screencopy, 0, output.proxy);
  Defer destroy_frame{[&] { zwlr_screencopy_frame_v1_destroy(proxy); }};
  zwlr_screencopy_frame_v1_add_listener(proxy, &frame_listener, &frame);
  if (!dispatch_until(display,
                      [&] { return frame.described || frame.failed; }) ||
      !frame.offered || frame.failed)
    return fail("no shm buffer offered for the frame");
  if (frame.stride < frame.width * 4 || frame.width == 0 || frame.height == 0 ||
      frame.stride > (1u << 16) || frame.height > (1u << 14))
    return fail("odd buffer description");
  ShmBuffer buffer;
  if (!buffer.create(state.shm, static_cast<int32_t>(frame.width),
                     static_cast<int32_t>(frame.height),
                     static_cast<int32_t>(frame.stride), frame.format))
    return fail("no shared memory");
  zwlr_screencopy_frame_v1_copy(proxy, buffer.buffer);
  if (!dispatch_until(display, [&] { return frame.ready || frame.failed; }) ||
      frame.failed)
    return fail("the copy failed");
  uint32_t y = frame.height / 2;
  if (frame.flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT)
    y = frame.height - 1 - y;
  uint32_t pixel = buffer.pixels[y * (frame.stride / 4) + frame.width / 2];
  std::printf("%ux%u %06X\n", frame.width, frame.height, pixel & 0xFFFFFFu);
  return 0;
}

struct Layer {
  uint32_t serial = 0, width = 0, height = 0;
  bool configured = false, closed = false;
};
void on_configure(void *data, zwlr_layer_surface_v1 *, uint32_t serial,
                  uint32_t width, uint32_t height) {
  auto *layer = static_cast<Layer *>(data);
  layer->serial = serial;
  layer->width = width;
  layer->height = height;
  layer->configured = true;
}
void on_closed(void *data, zwlr_layer_surface_v1 *) {
  static_cast<Layer *>(data)->closed = true;
}
const zwlr_layer_surface_v1_listener layer_listener = {on_configure, on_closed};

int cover(wl_display *display, State &state, Output &output, uint32_t colour) {
  if (!state.layer_shell || !state.compositor || !state.shm)
    return fail("no wlr layer shell, wl_compositor or wl_shm");
  wl_surface *surface = wl_compositor_create_surface(state.compositor);
  Defer destroy_surface{[&] { wl_surface_destroy(surface); }};
  // Starts on the bottom layer and moves to the overlay, so set_layer (the
  // last request) is used too.
  zwlr_layer_surface_v1 *proxy = zwlr_layer_shell_v1_get_layer_surface(
      state.layer_shell, surface, output.proxy,
      ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM, "gushmire-probe");
  Defer destroy_layer{[&] { zwlr_layer_surface_v1_destroy(proxy); }};
  Layer layer;
  zwlr_layer_surface_v1_add_listener(proxy, &layer_listener, &layer);
  zwlr_layer_surface_v1_set_size(proxy, 0, 0);
  zwlr_layer_surface_v1_set_anchor(proxy,
                                   ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                       ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                       ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                       ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_exclusive_zone(proxy, -1);
  zwlr_layer_surface_v1_set_margin(proxy, 0, 0, 0, 0);
  zwlr_layer_surface_v1_set_keyboard_interactivity(
      proxy, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  zwlr_layer_surface_v1_set_layer(proxy, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY);
  wl_surface_commit(surface);
  if (!dispatch_until(display,
                      [&] { return layer.configured || layer.closed; }) ||
      layer.closed || layer.width == 0 || layer.height == 0 ||
      layer.width > 16384 || layer.height > 16384)
    return fail("the layer surface got no usable configure");
  zwlr_layer_surface_v1_ack_configure(proxy, layer.serial);

  // Device pixels: the logical size times the output's scale.
  int32_t scale = output.scale > 0 && output.scale <= 4 ? output.scale : 1;
  int32_t width = static_cast<int32_t>(layer.width) * scale;
  int32_t height = static_cast<int32_t>(layer.height) * scale;
  ShmBuffer buffer;
  if (!buffer.create(state.shm, width, height, width * 4,
                     WL_SHM_FORMAT_XRGB8888))
    return fail("no shared memory");
  std::fill_n(buffer.pixels, static_cast<size_t>(width) * height, colour);
  wl_surface_set_buffer_scale(surface, scale);
  wl_surface_attach(surface, buffer.buffer, 0, 0);
  wl_surface_damage_buffer(surface, 0, 0, width, height);
  wl_surface_commit(surface);
  if (wl_display_roundtrip(display) < 0)
    return fail("the compositor refused the surface");
  std::printf("covered %dx%d scale %d\n", width, height, scale);
  std::fflush(stdout);
  // Stays until killed, closed or disconnected.
  while (!layer.closed && wl_display_dispatch(display) >= 0) {
  }
  return layer.closed ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  uint32_t colour = 0;
  bool ok =
      (args.size() == 2 && args[0] == "capture") ||
      (args.size() == 3 && args[0] == "cover" && args[2].size() == 6 &&
       std::from_chars(args[2].data(), args[2].data() + 6, colour, 16).ptr ==
           args[2].data() + 6);
  if (!ok) {
    std::fprintf(stderr, "usage: wlprobe capture OUTPUT | "
                         "wlprobe cover OUTPUT RRGGBB\n");
    return 2;
  }
  wl_display *display = wl_display_connect(nullptr);
  if (!display)
    return fail("cannot connect to the Wayland display");
  State state;
  wl_registry *registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, &state);
  // The second round trip brings the outputs' names and scales.
  int status = 1;
  if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0) {
    status = fail("the connection failed");
  } else {
    Output *output = nullptr;
    for (auto &o : state.outputs)
      if (o->name == args[1])
        output = o.get();
    if (!output)
      status = fail("no such output");
    else if (args[0] == "capture")
      status = capture(display, state, *output);
    else
      status = cover(display, state, *output, 0xFF000000u | colour);
  }
  if (int error = wl_display_get_error(display))
    std::fprintf(stderr, "wlprobe: connection error %s\n",
                 std::strerror(error));
  for (auto &o : state.outputs)
    wl_output_release(o->proxy);
  if (state.screencopy)
    zwlr_screencopy_manager_v1_destroy(state.screencopy);
  if (state.layer_shell)
    zwlr_layer_shell_v1_destroy(state.layer_shell);
  if (state.shm)
    wl_shm_destroy(state.shm);
  if (state.compositor)
    wl_compositor_destroy(state.compositor);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return status;
}
