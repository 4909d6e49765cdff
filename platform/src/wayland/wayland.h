// The Wayland backend: one output of the compositor is the screen. Each of
// our top-level windows becomes a surface of its own: a full-screen window
// a layer surface on the overlay (the saver) or background layer (a
// preview in the stand-in root), a dialog an xdg_toplevel. The generic
// layer draws into one framebuffer of the output's device pixels; the
// damaged boxes go out through two shm buffers a surface, paced by frame
// callbacks. No Wayland header is seen outside this folder.
//
// The class is spread over files named for their jobs:
//   connection.cpp   connecting, globals, outputs, losing the compositor,
//                    waiting, the stop signals, the entry points
//   surfaces.cpp     our surfaces, their buffers, presenting
//   capture.cpp      the output's picture through wlr-screencopy
//   input.cpp        the seat: keys, buttons, the pointer and its cursor
//   outputs.cpp      the output list of the process that runs one per output
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backend.h"
// The generated protocol headers include <wayland-client.h>.
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace platform::detail::wayland {

uint64_t MonotonicMs();
RECT Intersect(const RECT &a, const RECT &b);
bool Empty(const RECT &r);

// The stand-in root window's id: no bit 30 (not one of ours), not an X id
// any process could be given.
constexpr uintptr_t kRootId = 1;

struct Output {
  uint32_t global = 0;
  wl_output *proxy = nullptr;
  std::string name;
  int32_t width = 0, height = 0; // the current mode, device pixels
  int32_t scale = 1;
  int32_t transform = 0;
  bool described = false; // its first done event came
};
// Binds the output global `name` and keeps the Output up to date.
std::unique_ptr<Output> BindOutput(wl_registry *registry, uint32_t name,
                                   uint32_t version);

// Shared memory of `width` x `height` pixels (XRGB8888) as one wl_buffer.
struct ShmBuffer {
  wl_buffer *buffer = nullptr;
  uint32_t *pixels = nullptr;
  std::size_t bytes = 0;
  bool busy = false; // the compositor has it until release
  // Boxes drawn since this buffer was last filled (surface pixels).
  std::vector<RECT> stale;

  bool Create(wl_shm *shm, int width, int height, int stride, uint32_t format);
  void Destroy();
};

enum class Role { Overlay, Background, Dialog };

struct Surface {
  uintptr_t window = 0;
  Role role = Role::Dialog;
  RECT area{}; // on the screen; the surface shows the framebuffer there
  int32_t scale = 1;
  wl_surface *surface = nullptr;
  zwlr_layer_surface_v1 *layer = nullptr;
  xdg_surface *xdg = nullptr;
  xdg_toplevel *toplevel = nullptr;
  wl_callback *frame = nullptr; // a frame callback not yet done
  bool configured = false;
  bool closed = false;
  std::array<ShmBuffer, 2> buffers;
  std::vector<RECT> pending; // drawn, not yet committed (surface pixels)

  int Width() const { return area.right - area.left; }
  int Height() const { return area.bottom - area.top; }
};

class Wayland final : public Backend {
public:
  bool Open(const char *outputName);

  Display &Screen() override { return screen; }
  void Present(const RECT &area) override;

  void CreateNative(uintptr_t window, const NativeWindow &how) override;
  void ShowNative(uintptr_t window, const char *title) override;
  void HideNative(uintptr_t window) override;
  void DestroyNative(uintptr_t window) override;

  bool ForeignExists(uintptr_t id) override { return id == kRootId; }
  bool ForeignClientSize(uintptr_t id, int *width, int *height) override;

  uint64_t Now() override { return MonotonicMs() - start; }
  DWORD TickCount() override { return static_cast<DWORD>(MonotonicMs()); }
  void Poll() override;
  void Wait(std::optional<uint64_t> deadline) override;
  bool EndPreviewsOnSignals() override;

  POINT CursorPosition() override { return cursor; }
  void ShowCursor(bool shown) override;

  // Called from the listeners.
  void Global(wl_registry *registry, uint32_t name, const char *interface,
              uint32_t version);
  void GlobalGone(uint32_t name);
  void Configured(Surface &surface);
  void FrameDone(Surface &surface);
  void Released(Surface &surface);
  void SeatCapabilities(uint32_t capabilities);
  void PointerAt(wl_surface *surface, wl_fixed_t x, wl_fixed_t y, bool enter,
                 uint32_t serial);
  void PointerLeft() { pointerIn = nullptr; }
  void Button(uint32_t button, bool down);
  void Key(uint32_t key, bool down);
  [[noreturn]] void OutputGone();

private:
  // connection.cpp
  [[noreturn]] void Lost();
  // Reads and dispatches what arrived, waiting up to `timeout` ms (-1:
  // until something does).
  void Pump(int timeout);
  // Dispatches until `done` or `seconds` pass; false on timeout.
  bool DispatchUntil(const std::function<bool()> &done, int seconds = 5);
  void EndPreviewsIfStopped();
  // surfaces.cpp
  void Map(Surface &surface, const char *title);
  void Unmap(Surface &surface);
  void Commit(Surface &surface);
  // capture.cpp
  void CaptureOutput();

  wl_display *display = nullptr;
  wl_registry *registry = nullptr;
  wl_compositor *compositor = nullptr;
  uint32_t compositorVersion = 0;
  wl_shm *shm = nullptr;
  wl_seat *seat = nullptr;
  wl_keyboard *keyboard = nullptr;
  wl_pointer *pointer = nullptr;
  xdg_wm_base *wmBase = nullptr;
  zwlr_layer_shell_v1 *layerShell = nullptr;
  zwlr_screencopy_manager_v1 *screencopy = nullptr;
  uint32_t screencopyVersion = 0;
  std::vector<std::unique_ptr<Output>> outputs;
  Output *output = nullptr; // ours

  Display screen;
  std::map<uintptr_t, std::unique_ptr<Surface>> surfaces;
  uint64_t start = MonotonicMs();

  POINT cursor{0, 0};
  Surface *pointerIn = nullptr;
  uint32_t enterSerial = 0;
  bool cursorHidden = false;
  bool mapping = false; // inside Map: the pointer's first place is no move
};

// The one instance, for the listeners.
Wayland &TheWayland();

} // namespace platform::detail::wayland
