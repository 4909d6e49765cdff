// A lock screen's plugin host in miniature, for the tests: a compositor
// with no listening socket that starts one program on a connection handed
// over in WAYLAND_SOCKET and offers it exactly wl_compositor, wl_shm, the
// outputs, zwlr_layer_shell_v1, wp_viewporter and
// wp_fractional_scale_manager_v1 (no seat, no xdg_wm_base, no screencopy).
// It shows nothing: it records what the program does, a line at a time on
// stdout, for a shell script to read. Requests the program never sends
// are left null: libwayland aborts the host with their names if one comes.
//
//   plugin_host [--seconds S] --output NAME:WxH[@SCALE]... -- PROGRAM ARGS...
//
// WxH is the output's logical size, SCALE its scale (1 to 8, fractions
// allowed); the mode is the size times the scale. After S seconds (default
// 5) the program gets SIGTERM, and the host ends once it has.
//
// Lines (ms: milliseconds since the program started):
//   bind INTERFACE vN
//   layer_surface surface=N output=NAME layer=N namespace=NS
//   configure surface=N size=WxH anchor=N keyboard=N
//   commit surface=N output=NAME buffer=WxH scale=N size=WxH ms=N
//   full surface=N output=NAME ms=N           (first buffer of the mode's size)
//   sample surface=N ms=N colours=N black_permille=N hash=N
//   unreadable surface=N                      (the pool is shorter than said)
//   error INTERFACE code=N MESSAGE            (a protocol error we posted)
//   exit code=N ms=N  |  exit signal=N ms=N
//   term ms=N                                 (SIGTERM sent to the program)
// The host exits 0 once the program has ended, 1 when it cannot start it, 2
// on a bad command line.
#include "fractional-scale-v1-server-protocol.h"
#include "viewporter-server-protocol.h"
#include "wlr-layer-shell-unstable-v1-server-protocol.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-server.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

// Frame callbacks are answered at this pace, as a 60 Hz output would.
constexpr int kFrameMs = 16;
// Pixels are read from the first buffer and then at most this often.
constexpr unsigned long long kSampleMs = 200;
// How long the program gets to end after SIGTERM before SIGKILL.
constexpr unsigned long long kTermMs = 3000;
constexpr int kMaxSide = 16384;

struct OutputSpec {
  std::string name;
  int width = 0, height = 0; // logical
  double scale = 1;
  int DeviceWidth() const {
    return static_cast<int>(std::lround(width * scale));
  }
  int DeviceHeight() const {
    return static_cast<int>(std::lround(height * scale));
  }
  int32_t IntegerScale() const {
    return static_cast<int32_t>(std::ceil(scale - 1e-9));
  }
};

struct Pool {
  int fd = -1;
  int32_t size = 0;
  ~Pool() {
    if (fd >= 0) {
      close(fd);
    }
  }
};

struct Buffer {
  wl_resource *resource = nullptr;
  std::shared_ptr<Pool> pool; // a buffer outlives its pool's resource
  int32_t offset = 0, width = 0, height = 0, stride = 0;
  uint32_t format = 0;
};

struct LayerSurface;

struct Viewport {
  struct Surface *surface = nullptr;
  int32_t destinationWidth = -1, destinationHeight = -1;
};

struct Surface {
  wl_resource *resource = nullptr;
  int id = 0;
  Buffer *pendingBuffer = nullptr;
  bool attached = false;
  int32_t pendingScale = 1, scale = 1;
  std::vector<wl_resource *> pendingFrames;
  bool hasBuffer = false; // a buffer is committed now
  LayerSurface *layer = nullptr;
  Viewport *viewport = nullptr;
  int commits = 0;
  bool fullSeen = false;
  unsigned long long lastSampleMs = 0;
};

struct LayerSurface {
  wl_resource *resource = nullptr;
  Surface *surface = nullptr;
  std::size_t output = 0;
  uint32_t width = 0, height = 0, anchor = 0, keyboard = 0;
  bool configureSent = false, acked = false, mapped = false;
  std::vector<uint32_t> serials; // sent and not yet acknowledged
};

// A global's data; outputs also carry their index.
struct Global {
  const wl_interface *interface;
  int version;
  const void *implementation;
  std::size_t output = 0;
};

struct Host {
  wl_display *display = nullptr;
  std::vector<OutputSpec> outputs;
  std::deque<Global> globals; // stable addresses, handed out as data
  std::chrono::steady_clock::time_point start =
      std::chrono::steady_clock::now();
  pid_t child = -1;
  bool childEnded = false;
  bool stop = false; // the time is up, or the host was told to end
  // When SIGTERM went to the program (0: not yet).
  unsigned long long termAt = 0;
  std::set<Surface *> surfaces;
  wl_event_source *frames = nullptr;
  std::vector<wl_resource *> readyFrames; // committed, answered next frame
  int surfaceCount = 0;
};
Host host;

// Printed as %llu.
unsigned long long Ms() {
  return static_cast<unsigned long long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - host.start)
          .count());
}

void Record(const char *format, ...) __attribute__((format(printf, 1, 2)));
void Record(const char *format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::putchar('\n');
  std::fflush(stdout);
}

// Posts a protocol error and says so (the client is then disconnected).
void Refuse(wl_resource *resource, uint32_t code, const char *message) {
  Record("error %s code=%u %s", wl_resource_get_class(resource), code, message);
  wl_resource_post_error(resource, code, "%s", message);
}

template <typename T> T *Data(wl_resource *resource) {
  return static_cast<T *>(wl_resource_get_user_data(resource));
}

void DestroyResource(wl_client *, wl_resource *resource) {
  wl_resource_destroy(resource);
}

// A new resource for `id`, or null once the client has been told it is out
// of memory.
wl_resource *Create(wl_client *client, const wl_interface *interface,
                    int version, uint32_t id) {
  wl_resource *resource = wl_resource_create(client, interface, version, id);
  if (resource == nullptr) {
    wl_client_post_no_memory(client);
  }
  return resource;
}

// A request table, value-initialised, then filled by name: a request that a
// newer libwayland adds (wl_shm.release in 1.23) stays null, which
// libwayland reports by name if the program ever sends it.
template <typename Table, typename Fill> Table Requests(Fill fill) {
  Table table{};
  fill(table);
  return table;
}

// --- wl_shm ----------------------------------------------------------------

void BufferGone(wl_resource *resource) {
  Buffer *buffer = Data<Buffer>(resource);
  for (Surface *surface : host.surfaces) {
    if (surface->pendingBuffer == buffer) {
      surface->pendingBuffer = nullptr;
    }
  }
  delete buffer;
}
const auto bufferImplementation = Requests<struct wl_buffer_interface>(
    [](auto &i) { i.destroy = DestroyResource; });

void PoolCreateBuffer(wl_client *client, wl_resource *resource, uint32_t id,
                      int32_t offset, int32_t width, int32_t height,
                      int32_t stride, uint32_t format) {
  const auto &pool = *Data<std::shared_ptr<Pool>>(resource);
  if (format != WL_SHM_FORMAT_ARGB8888 && format != WL_SHM_FORMAT_XRGB8888) {
    Refuse(resource, WL_SHM_ERROR_INVALID_FORMAT, "unsupported format");
    return;
  }
  const int64_t end = int64_t{offset} + int64_t{stride} * height;
  if (offset < 0 || width <= 0 || height <= 0 || width > kMaxSide ||
      height > kMaxSide || int64_t{stride} < int64_t{width} * 4 ||
      end > pool->size) {
    Refuse(resource, WL_SHM_ERROR_INVALID_STRIDE,
           "buffer outside the pool or bad stride");
    return;
  }
  wl_resource *made = Create(client, &wl_buffer_interface, 1, id);
  if (made == nullptr) {
    return;
  }
  auto *buffer = new Buffer{made, pool, offset, width, height, stride, format};
  wl_resource_set_implementation(made, &bufferImplementation, buffer,
                                 BufferGone);
}
const auto poolImplementation =
    Requests<struct wl_shm_pool_interface>([](auto &i) {
      i.create_buffer = PoolCreateBuffer;
      i.destroy = DestroyResource;
    });
void PoolGone(wl_resource *resource) {
  delete Data<std::shared_ptr<Pool>>(resource);
}

void ShmCreatePool(wl_client *client, wl_resource *resource, uint32_t id,
                   int32_t fd, int32_t size) {
  auto pool = std::make_shared<Pool>();
  pool->fd = fd; // ours now, closed with the pool
  pool->size = size;
  struct stat file {};
  if (size <= 0) {
    Refuse(resource, WL_SHM_ERROR_INVALID_STRIDE, "bad pool size");
    return;
  }
  if (fstat(fd, &file) != 0 || file.st_size < size) {
    Refuse(resource, WL_SHM_ERROR_INVALID_FD, "the file is shorter");
    return;
  }
  wl_resource *made = Create(client, &wl_shm_pool_interface, 1, id);
  if (made != nullptr) {
    wl_resource_set_implementation(made, &poolImplementation,
                                   new std::shared_ptr<Pool>(pool), PoolGone);
  }
}
const auto shmImplementation = Requests<struct wl_shm_interface>(
    [](auto &i) { i.create_pool = ShmCreatePool; });

// --- Pixels ----------------------------------------------------------------

// Reads the committed buffer through the pool's file (pread: a client that
// shrank its file gives a short read here, where a mapping would fault).
void Sample(Surface &surface, const Buffer &buffer) {
  const std::size_t bytes = static_cast<std::size_t>(buffer.stride) *
                            static_cast<std::size_t>(buffer.height);
  std::vector<uint8_t> data(bytes);
  const ssize_t got = pread(buffer.pool->fd, data.data(), bytes, buffer.offset);
  if (got < 0 || static_cast<std::size_t>(got) != bytes) {
    Record("unreadable surface=%d", surface.id);
    return;
  }
  std::unordered_set<uint32_t> colours;
  uint64_t black = 0;
  uint64_t hash = 1469598103934665603u; // FNV-1a
  for (int32_t row = 0; row < buffer.height; ++row) {
    const uint8_t *line =
        data.data() +
        static_cast<std::size_t>(row) * static_cast<std::size_t>(buffer.stride);
    for (int32_t column = 0; column < buffer.width; ++column) {
      uint32_t pixel = 0;
      std::memcpy(&pixel, line + static_cast<std::size_t>(column) * 4, 4);
      pixel &= 0xFFFFFFu;
      black += pixel == 0 ? 1 : 0;
      if (colours.size() < 1000) {
        colours.insert(pixel);
      }
      hash = (hash ^ pixel) * 1099511628211u;
    }
  }
  const uint64_t pixels = static_cast<uint64_t>(buffer.width) *
                          static_cast<uint64_t>(buffer.height);
  Record("sample surface=%d ms=%llu colours=%zu black_permille=%llu "
         "hash=%016llx",
         surface.id, Ms(), colours.size(),
         static_cast<unsigned long long>(black * 1000 / pixels),
         static_cast<unsigned long long>(hash));
}

// --- wl_surface ------------------------------------------------------------

void FrameGone(wl_resource *resource) {
  std::erase(host.readyFrames, resource);
  for (Surface *surface : host.surfaces) {
    std::erase(surface->pendingFrames, resource);
  }
}

void SurfaceAttach(wl_client *, wl_resource *resource, wl_resource *buffer,
                   int32_t, int32_t) {
  Surface &surface = *Data<Surface>(resource);
  surface.pendingBuffer = buffer != nullptr ? Data<Buffer>(buffer) : nullptr;
  surface.attached = true;
}
void SurfaceDamage(wl_client *, wl_resource *, int32_t, int32_t, int32_t,
                   int32_t) {}
void SurfaceFrame(wl_client *client, wl_resource *resource, uint32_t id) {
  wl_resource *callback = Create(client, &wl_callback_interface, 1, id);
  if (callback != nullptr) {
    wl_resource_set_implementation(callback, nullptr, nullptr, FrameGone);
    Data<Surface>(resource)->pendingFrames.push_back(callback);
  }
}
void SurfaceScale(wl_client *, wl_resource *resource, int32_t scale) {
  if (scale < 1) {
    Refuse(resource, WL_SURFACE_ERROR_INVALID_SCALE, "scale below 1");
    return;
  }
  Data<Surface>(resource)->pendingScale = scale;
}

void SendConfigure(LayerSurface &layer) {
  const OutputSpec &output = host.outputs[layer.output];
  const uint32_t width =
      layer.width != 0 ? layer.width : static_cast<uint32_t>(output.width);
  const uint32_t height =
      layer.height != 0 ? layer.height : static_cast<uint32_t>(output.height);
  const uint32_t serial = wl_display_next_serial(host.display);
  layer.serials.push_back(serial);
  zwlr_layer_surface_v1_send_configure(layer.resource, serial, width, height);
  layer.configureSent = true;
  Record("configure surface=%d size=%ux%u anchor=%u keyboard=%u",
         layer.surface->id, width, height, layer.anchor, layer.keyboard);
}

// The layer surface's checks of a commit; false once it posted an error.
bool LayerCommit(LayerSurface &layer, bool withBuffer) {
  constexpr uint32_t kLeftRight =
      ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
  constexpr uint32_t kTopBottom =
      ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM;
  if ((layer.width == 0 && (layer.anchor & kLeftRight) != kLeftRight) ||
      (layer.height == 0 && (layer.anchor & kTopBottom) != kTopBottom)) {
    Refuse(layer.resource, ZWLR_LAYER_SURFACE_V1_ERROR_INVALID_SIZE,
           "size 0 without anchors on both sides");
    return false;
  }
  if (withBuffer) {
    if (!layer.acked) {
      Refuse(layer.resource, ZWLR_LAYER_SURFACE_V1_ERROR_INVALID_SURFACE_STATE,
             "a buffer before the first configure was acknowledged");
      return false;
    }
    layer.mapped = true;
  } else if (layer.mapped) {
    // Unmapped: the next commit starts over, as the first did.
    layer.mapped = layer.configureSent = layer.acked = false;
  } else if (!layer.configureSent) {
    SendConfigure(layer);
  }
  return true;
}

void SurfaceCommit(wl_client *, wl_resource *resource) {
  Surface &surface = *Data<Surface>(resource);
  surface.scale = surface.pendingScale;
  Buffer *buffer = nullptr;
  if (surface.attached) {
    buffer = surface.pendingBuffer;
    surface.hasBuffer = buffer != nullptr;
    surface.attached = false;
    surface.pendingBuffer = nullptr;
  }
  host.readyFrames.insert(host.readyFrames.end(), surface.pendingFrames.begin(),
                          surface.pendingFrames.end());
  surface.pendingFrames.clear();
  if (surface.layer != nullptr) {
    if (!LayerCommit(*surface.layer, surface.hasBuffer)) {
      return;
    }
  }
  if (buffer == nullptr) {
    return;
  }
  const Viewport *viewport = surface.viewport;
  const bool destination =
      viewport != nullptr && viewport->destinationWidth > 0;
  if (!destination && (buffer->width % surface.scale != 0 ||
                       buffer->height % surface.scale != 0)) {
    Refuse(resource, WL_SURFACE_ERROR_INVALID_SIZE,
           "buffer size not a multiple of its scale");
    return;
  }
  const int width =
      destination ? viewport->destinationWidth : buffer->width / surface.scale;
  const int height = destination ? viewport->destinationHeight
                                 : buffer->height / surface.scale;
  ++surface.commits;
  const OutputSpec *output =
      surface.layer != nullptr ? &host.outputs[surface.layer->output] : nullptr;
  const unsigned long long now = Ms();
  Record("commit surface=%d output=%s buffer=%dx%d scale=%d size=%dx%d ms=%llu",
         surface.id, output != nullptr ? output->name.c_str() : "-",
         buffer->width, buffer->height, surface.scale, width, height, now);
  if (output != nullptr && !surface.fullSeen &&
      buffer->width == output->DeviceWidth() &&
      buffer->height == output->DeviceHeight()) {
    surface.fullSeen = true;
    Record("full surface=%d output=%s ms=%llu", surface.id,
           output->name.c_str(), now);
  }
  if (surface.commits == 1 || now >= surface.lastSampleMs + kSampleMs) {
    surface.lastSampleMs = now;
    Sample(surface, *buffer);
  }
  // Read at once, so the client may have it back at once.
  wl_buffer_send_release(buffer->resource);
}

void SurfaceGone(wl_resource *resource) {
  Surface *surface = Data<Surface>(resource);
  if (surface->layer != nullptr) {
    surface->layer->surface = nullptr;
  }
  if (surface->viewport != nullptr) {
    surface->viewport->surface = nullptr;
  }
  host.surfaces.erase(surface);
  delete surface;
}
const auto surfaceImplementation =
    Requests<struct wl_surface_interface>([](auto &i) {
      i.destroy = DestroyResource;
      i.attach = SurfaceAttach;
      i.damage = SurfaceDamage;
      i.frame = SurfaceFrame;
      i.commit = SurfaceCommit;
      i.set_buffer_scale = SurfaceScale;
      i.damage_buffer = SurfaceDamage;
    });

// --- wl_compositor -----------------------------------------------------------

void CreateSurface(wl_client *client, wl_resource *resource, uint32_t id) {
  wl_resource *made = Create(client, &wl_surface_interface,
                             wl_resource_get_version(resource), id);
  if (made == nullptr) {
    return;
  }
  auto *surface = new Surface;
  surface->resource = made;
  surface->id = ++host.surfaceCount;
  host.surfaces.insert(surface);
  wl_resource_set_implementation(made, &surfaceImplementation, surface,
                                 SurfaceGone);
}
const auto compositorImplementation = Requests<struct wl_compositor_interface>(
    [](auto &i) { i.create_surface = CreateSurface; });

// --- zwlr_layer_shell_v1 -----------------------------------------------------

// A layer surface whose wl_surface is gone takes no more requests: they
// change nothing.
LayerSurface *Live(wl_resource *resource) {
  LayerSurface *layer = Data<LayerSurface>(resource);
  return layer->surface != nullptr ? layer : nullptr;
}
void LayerSetSize(wl_client *, wl_resource *resource, uint32_t width,
                  uint32_t height) {
  if (LayerSurface *layer = Live(resource)) {
    layer->width = width;
    layer->height = height;
  }
}
void LayerSetAnchor(wl_client *, wl_resource *resource, uint32_t anchor) {
  if (anchor > 15) {
    Refuse(resource, ZWLR_LAYER_SURFACE_V1_ERROR_INVALID_ANCHOR,
           "no such anchor");
  } else if (LayerSurface *layer = Live(resource)) {
    layer->anchor = anchor;
  }
}
void LayerSetZone(wl_client *, wl_resource *, int32_t) {}
void LayerSetKeyboard(wl_client *, wl_resource *resource, uint32_t keyboard) {
  const uint32_t most = wl_resource_get_version(resource) >= 4 ? 2 : 1;
  if (keyboard > most) {
    Refuse(resource, ZWLR_LAYER_SURFACE_V1_ERROR_INVALID_KEYBOARD_INTERACTIVITY,
           "no such keyboard interactivity");
  } else if (LayerSurface *layer = Live(resource)) {
    layer->keyboard = keyboard;
  }
}
void LayerAck(wl_client *, wl_resource *resource, uint32_t serial) {
  LayerSurface *layer = Live(resource);
  if (layer == nullptr) {
    return;
  }
  const auto sent =
      std::find(layer->serials.begin(), layer->serials.end(), serial);
  if (sent == layer->serials.end()) {
    Refuse(resource, ZWLR_LAYER_SURFACE_V1_ERROR_INVALID_SURFACE_STATE,
           "ack_configure of a serial never sent");
    return;
  }
  // Acknowledging one configure drops it and every older one.
  layer->serials.erase(layer->serials.begin(), sent + 1);
  layer->acked = true;
}
const auto layerImplementation =
    Requests<struct zwlr_layer_surface_v1_interface>([](auto &i) {
      i.set_size = LayerSetSize;
      i.set_anchor = LayerSetAnchor;
      i.set_exclusive_zone = LayerSetZone;
      i.set_keyboard_interactivity = LayerSetKeyboard;
      i.ack_configure = LayerAck;
      i.destroy = DestroyResource;
    });
void LayerGone(wl_resource *resource) {
  LayerSurface *layer = Data<LayerSurface>(resource);
  if (layer->surface != nullptr) {
    layer->surface->layer = nullptr;
  }
  delete layer;
}

void GetLayerSurface(wl_client *client, wl_resource *resource, uint32_t id,
                     wl_resource *surfaceResource, wl_resource *output,
                     uint32_t layerNumber, const char *space) {
  Surface &surface = *Data<Surface>(surfaceResource);
  if (surface.layer != nullptr) {
    Refuse(resource, ZWLR_LAYER_SHELL_V1_ERROR_ROLE,
           "the surface has a layer surface already");
    return;
  }
  if (surface.hasBuffer || (surface.attached && surface.pendingBuffer)) {
    Refuse(resource, ZWLR_LAYER_SHELL_V1_ERROR_ALREADY_CONSTRUCTED,
           "the surface has a buffer already");
    return;
  }
  if (layerNumber > ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY) {
    Refuse(resource, ZWLR_LAYER_SHELL_V1_ERROR_INVALID_LAYER, "no such layer");
    return;
  }
  wl_resource *made = Create(client, &zwlr_layer_surface_v1_interface,
                             wl_resource_get_version(resource), id);
  if (made == nullptr) {
    return;
  }
  auto *layer = new LayerSurface;
  layer->resource = made;
  layer->surface = &surface;
  // No output named: the host chooses, the first.
  layer->output = output != nullptr ? Data<Global>(output)->output : 0;
  surface.layer = layer;
  wl_resource_set_implementation(made, &layerImplementation, layer, LayerGone);
  Record("layer_surface surface=%d output=%s layer=%u namespace=%s", surface.id,
         host.outputs[layer->output].name.c_str(), layerNumber, space);
}
const auto layerShellImplementation =
    Requests<struct zwlr_layer_shell_v1_interface>([](auto &i) {
      i.get_layer_surface = GetLayerSurface;
      i.destroy = DestroyResource;
    });

// --- wp_viewporter -----------------------------------------------------------

void ViewportDestination(wl_client *, wl_resource *resource, int32_t width,
                         int32_t height) {
  Viewport *viewport = Data<Viewport>(resource);
  if (viewport->surface == nullptr) {
    Refuse(resource, WP_VIEWPORT_ERROR_NO_SURFACE, "the surface is gone");
  } else if (!(width == -1 && height == -1) && (width <= 0 || height <= 0)) {
    Refuse(resource, WP_VIEWPORT_ERROR_BAD_VALUE, "bad destination size");
  } else {
    viewport->destinationWidth = width;
    viewport->destinationHeight = height;
  }
}
const auto viewportImplementation =
    Requests<struct wp_viewport_interface>([](auto &i) {
      i.destroy = DestroyResource;
      i.set_destination = ViewportDestination;
    });
void ViewportGone(wl_resource *resource) {
  Viewport *viewport = Data<Viewport>(resource);
  if (viewport->surface != nullptr) {
    viewport->surface->viewport = nullptr;
  }
  delete viewport;
}

void GetViewport(wl_client *client, wl_resource *resource, uint32_t id,
                 wl_resource *surfaceResource) {
  Surface &surface = *Data<Surface>(surfaceResource);
  if (surface.viewport != nullptr) {
    Refuse(resource, WP_VIEWPORTER_ERROR_VIEWPORT_EXISTS,
           "the surface has a viewport already");
    return;
  }
  wl_resource *made = Create(client, &wp_viewport_interface, 1, id);
  if (made == nullptr) {
    return;
  }
  auto *viewport = new Viewport;
  viewport->surface = &surface;
  surface.viewport = viewport;
  wl_resource_set_implementation(made, &viewportImplementation, viewport,
                                 ViewportGone);
}
const auto viewporterImplementation =
    Requests<struct wp_viewporter_interface>([](auto &i) {
      i.destroy = DestroyResource;
      i.get_viewport = GetViewport;
    });

// --- Globals -----------------------------------------------------------------

// The program binds no fractional scale manager; it is offered all the same.
const auto fractionalManagerImplementation =
    Requests<struct wp_fractional_scale_manager_v1_interface>(
        [](auto &i) { i.destroy = DestroyResource; });
// Outputs need no requests of their own but release (version 3).
const auto outputImplementation = Requests<struct wl_output_interface>(
    [](auto &i) { i.release = DestroyResource; });

void Bind(wl_client *client, void *data, uint32_t version, uint32_t id) {
  const Global &global = *static_cast<const Global *>(data);
  wl_resource *made =
      Create(client, global.interface, static_cast<int>(version), id);
  if (made == nullptr) {
    return;
  }
  wl_resource_set_implementation(made, global.implementation, data, nullptr);
  Record("bind %s v%u", global.interface->name, version);
  if (global.interface == &wl_shm_interface) {
    wl_shm_send_format(made, WL_SHM_FORMAT_ARGB8888);
    wl_shm_send_format(made, WL_SHM_FORMAT_XRGB8888);
  }
  if (global.interface == &wl_output_interface) {
    const OutputSpec &output = host.outputs[global.output];
    int32_t x = 0;
    for (std::size_t i = 0; i < global.output; ++i) {
      x += host.outputs[i].width;
    }
    wl_output_send_geometry(made, x, 0, output.width / 4, output.height / 4,
                            WL_OUTPUT_SUBPIXEL_UNKNOWN, "gushmire",
                            "plugin host", WL_OUTPUT_TRANSFORM_NORMAL);
    wl_output_send_mode(made, WL_OUTPUT_MODE_CURRENT | WL_OUTPUT_MODE_PREFERRED,
                        output.DeviceWidth(), output.DeviceHeight(), 60000);
    if (version >= 2) {
      wl_output_send_scale(made, output.IntegerScale());
    }
    if (version >= 4) {
      wl_output_send_name(made, output.name.c_str());
      wl_output_send_description(made, output.name.c_str());
    }
    if (version >= 2) {
      wl_output_send_done(made);
    }
  }
}

bool AddGlobals() {
  host.globals = {
      {&wl_compositor_interface, 5, &compositorImplementation},
      {&wl_shm_interface, 1, &shmImplementation},
      {&zwlr_layer_shell_v1_interface, 4, &layerShellImplementation},
      {&wp_viewporter_interface, 1, &viewporterImplementation},
      {&wp_fractional_scale_manager_v1_interface, 1,
       &fractionalManagerImplementation}};
  for (std::size_t i = 0; i < host.outputs.size(); ++i) {
    host.globals.push_back({&wl_output_interface, 4, &outputImplementation, i});
  }
  for (Global &global : host.globals) {
    if (wl_global_create(host.display, global.interface, global.version,
                         &global, Bind) == nullptr) {
      return false;
    }
  }
  return true;
}

// --- The program -------------------------------------------------------------

int Frame(void *) {
  const auto time = static_cast<uint32_t>(Ms());
  std::vector<wl_resource *> due;
  due.swap(host.readyFrames);
  for (wl_resource *callback : due) {
    wl_callback_send_done(callback, time);
    wl_resource_destroy(callback);
  }
  wl_event_source_timer_update(host.frames, kFrameMs);
  return 0;
}

void Reap() {
  int status = 0;
  if (host.child <= 0 || host.childEnded ||
      waitpid(host.child, &status, WNOHANG) != host.child) {
    return;
  }
  host.childEnded = true;
  if (WIFEXITED(status)) {
    Record("exit code=%d ms=%llu", WEXITSTATUS(status), Ms());
  } else {
    Record("exit signal=%d ms=%llu", WTERMSIG(status), Ms());
  }
}

int OnSignal(int number, void *) {
  if (number == SIGCHLD) {
    Reap();
  } else {
    host.stop = true;
  }
  return 0;
}
int OnTimeUp(void *) {
  host.stop = true;
  return 0;
}

// Starts the program on `fd`, the client's end; its signals as they were
// before the host blocked some for its event loop.
bool Start(char **program, int fd, const sigset_t &mask) {
  host.start = std::chrono::steady_clock::now();
  host.child = fork();
  if (host.child < 0) {
    std::perror("plugin_host: fork");
    return false;
  }
  if (host.child == 0) {
    sigprocmask(SIG_SETMASK, &mask, nullptr);
    std::signal(SIGPIPE, SIG_DFL);
    // Its stdout would mix with our records.
    dup2(STDERR_FILENO, STDOUT_FILENO);
    const int kept = fcntl(fd, F_GETFD);
    if (kept < 0 || fcntl(fd, F_SETFD, kept & ~FD_CLOEXEC) < 0) {
      _exit(127);
    }
    const std::string number = std::to_string(fd);
    setenv("WAYLAND_SOCKET", number.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DISPLAY");
    execvp(program[0], program);
    std::perror("plugin_host: exec");
    _exit(127);
  }
  return true;
}

// NAME:WxH[@SCALE]; false when malformed.
bool ParseOutput(const char *text, OutputSpec *output) {
  const std::string spec(text);
  const std::size_t colon = spec.rfind(':');
  if (colon == std::string::npos || colon == 0) {
    return false;
  }
  output->name = spec.substr(0, colon);
  char x = 0, at = 0, end = 0;
  double scale = 1;
  const int n =
      std::sscanf(spec.c_str() + colon + 1, "%d%c%d%c%lf%c", &output->width, &x,
                  &output->height, &at, &scale, &end);
  output->scale = scale;
  return (n == 3 || (n == 5 && at == '@')) && x == 'x' && output->width > 0 &&
         output->height > 0 && scale >= 1 && scale <= 8 &&
         output->DeviceWidth() <= kMaxSide &&
         output->DeviceHeight() <= kMaxSide;
}

int Usage() {
  std::fputs("usage: plugin_host [--seconds S] --output NAME:WxH[@SCALE]... "
             "-- PROGRAM [ARGS...]\n",
             stderr);
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  double seconds = 5;
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (i + 1 >= argc) {
      return Usage();
    }
    if (std::strcmp(argv[i], "--seconds") == 0) {
      char *end = nullptr;
      seconds = std::strtod(argv[++i], &end);
      if (*end != '\0' || !(seconds > 0 && seconds <= 600)) {
        return Usage();
      }
    } else if (std::strcmp(argv[i], "--output") == 0) {
      OutputSpec output;
      if (!ParseOutput(argv[++i], &output)) {
        return Usage();
      }
      host.outputs.push_back(output);
    } else {
      return Usage();
    }
  }
  if (i + 1 >= argc || host.outputs.empty()) {
    return Usage();
  }
  // A program that died leaves writes to its socket failing, not fatal.
  std::signal(SIGPIPE, SIG_IGN);
  host.display = wl_display_create();
  if (host.display == nullptr || !AddGlobals()) {
    std::fputs("plugin_host: cannot make the display\n", stderr);
    return 1;
  }
  wl_event_loop *loop = wl_display_get_event_loop(host.display);
  sigset_t before;
  sigprocmask(SIG_SETMASK, nullptr, &before);
  // The event loop blocks these to read them through a signalfd.
  std::vector<wl_event_source *> signals;
  for (const int number : {SIGCHLD, SIGTERM, SIGINT}) {
    signals.push_back(
        wl_event_loop_add_signal(loop, number, OnSignal, nullptr));
  }
  host.frames = wl_event_loop_add_timer(loop, Frame, nullptr);
  wl_event_source *timeUp = wl_event_loop_add_timer(loop, OnTimeUp, nullptr);
  int ends[2];
  if (host.frames == nullptr || timeUp == nullptr ||
      socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    std::perror("plugin_host: setup");
    return 1;
  }
  wl_client *client = wl_client_create(host.display, ends[0]);
  if (client == nullptr || !Start(argv + i + 1, ends[1], before)) {
    return 1;
  }
  close(ends[1]);
  wl_event_source_timer_update(host.frames, kFrameMs);
  wl_event_source_timer_update(timeUp, static_cast<int>(seconds * 1000));

  // Runs until the time is up (or the host is told to end), then until
  // the program has ended; it is killed when SIGTERM does not end it.
  while (!host.childEnded) {
    if (host.stop && host.termAt == 0) {
      kill(host.child, SIGTERM);
      host.termAt = std::max(Ms(), 1ull);
      Record("term ms=%llu", host.termAt);
    } else if (host.termAt != 0 && Ms() >= host.termAt + kTermMs) {
      kill(host.child, SIGKILL);
    }
    wl_display_flush_clients(host.display);
    wl_event_loop_dispatch(loop, host.termAt != 0 ? 50 : kFrameMs);
    Reap();
  }
  wl_display_destroy_clients(host.display);
  wl_event_source_remove(host.frames);
  wl_event_source_remove(timeUp);
  // Destroying the display does not free its signal sources.
  for (wl_event_source *source : signals) {
    if (source != nullptr) {
      wl_event_source_remove(source);
    }
  }
  wl_display_destroy(host.display);
  return 0;
}
