// The output's own picture, read through wlr-screencopy: into the
// framebuffer before the saver's surface covers it, and for the lock's
// savers (lock_desktop.cpp). Without screencopy the saver starts from
// black, and says so.
#include <algorithm>
#include <cstdio>
#include <functional>

#include "backends/wayland/wayland.h"

namespace platform::detail::wayland {
namespace {

struct Frame {
  uint32_t format = 0, width = 0, height = 0, stride = 0;
  uint32_t flags = 0;
  bool offered = false, described = false, ready = false, failed = false;
};
Frame *Of(void *data) { return static_cast<Frame *>(data); }

void OnBuffer(void *data, zwlr_screencopy_frame_v1 *, uint32_t format,
              uint32_t width, uint32_t height, uint32_t stride) {
  Frame &frame = *Of(data);
  // The first shm format offered is the one we take.
  if (!frame.offered) {
    frame.format = format;
    frame.width = width;
    frame.height = height;
    frame.stride = stride;
    frame.offered = true;
  }
}
void OnFlags(void *data, zwlr_screencopy_frame_v1 *, uint32_t flags) {
  Of(data)->flags = flags;
}
void OnReady(void *data, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t,
             uint32_t) {
  Of(data)->ready = true;
}
void OnFailed(void *data, zwlr_screencopy_frame_v1 *) {
  Of(data)->failed = true;
}
void OnDamage(void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t,
              uint32_t) {}
void OnDmabuf(void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t,
              uint32_t) {}
void OnBufferDone(void *data, zwlr_screencopy_frame_v1 *) {
  Of(data)->described = true;
}
const zwlr_screencopy_frame_v1_listener frameListener = [] {
  zwlr_screencopy_frame_v1_listener l{};
  l.buffer = OnBuffer;
  l.flags = OnFlags;
  l.ready = OnReady;
  l.failed = OnFailed;
  l.damage = OnDamage;
  l.linux_dmabuf = OnDmabuf;
  l.buffer_done = OnBufferDone;
  return l;
}();

// 0x00RRGGBB from a pixel of `format`; false for a format we do not read.
bool Readable(uint32_t format, bool *swapped) {
  *swapped =
      format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
  return *swapped || format == WL_SHM_FORMAT_XRGB8888 ||
         format == WL_SHM_FORMAT_ARGB8888;
}

} // namespace

bool CopyOutput(const Screencopy &from, wl_output *output, uint64_t deadline,
                const std::function<void(int)> &pump,
                const std::function<CaptureTarget(int, int)> &place) {
  const auto until = [&](const std::function<bool()> &done) {
    for (uint64_t now = MonotonicMs(); !done(); now = MonotonicMs()) {
      if (now >= deadline) {
        return false;
      }
      pump(static_cast<int>(deadline - now));
    }
    return true;
  };
  Frame frame;
  zwlr_screencopy_frame_v1 *proxy =
      zwlr_screencopy_manager_v1_capture_output(from.manager, 0, output);
  zwlr_screencopy_frame_v1_add_listener(proxy, &frameListener, &frame);
  // Before version 3 the buffer event is all the description there is.
  const bool described = until([&] {
    return frame.described || frame.failed ||
           (from.version < 3 && frame.offered);
  });
  bool swapped = false;
  const bool usable = described && frame.offered && !frame.failed &&
                      Readable(frame.format, &swapped) && frame.width > 0 &&
                      frame.height > 0 && frame.width <= kMaxFramebufferSide &&
                      frame.height <= kMaxFramebufferSide &&
                      frame.stride >= frame.width * 4 &&
                      frame.stride <= kMaxFramebufferSide * 8u;
  ShmBuffer buffer;
  bool copied = false;
  if (usable && buffer.Create(from.shm, static_cast<int>(frame.width),
                              static_cast<int>(frame.height),
                              static_cast<int>(frame.stride), frame.format)) {
    zwlr_screencopy_frame_v1_copy(proxy, buffer.buffer);
    const CaptureTarget target =
        until([&] { return frame.ready || frame.failed; }) && frame.ready
            ? place(static_cast<int>(frame.width),
                    static_cast<int>(frame.height))
            : CaptureTarget{};
    copied = target.pixels != nullptr;
    const bool inverted =
        (frame.flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
    const int rows =
        copied ? std::min(static_cast<int>(frame.height), target.rows) : 0;
    const int columns = std::min(static_cast<int>(frame.width), target.columns);
    for (int row = 0; row < rows; ++row) {
      const int source =
          inverted ? static_cast<int>(frame.height) - 1 - row : row;
      const uint32_t *in =
          buffer.pixels + static_cast<std::size_t>(source) * (frame.stride / 4);
      uint32_t *out =
          target.pixels + static_cast<std::size_t>(row) * target.pitch;
      for (int column = 0; column < columns; ++column) {
        const uint32_t p = in[column];
        out[column] =
            swapped ? ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu)
                    : p & 0xFFFFFFu;
      }
    }
  }
  buffer.Destroy();
  zwlr_screencopy_frame_v1_destroy(proxy);
  return copied;
}

void Wayland::CaptureOutput() {
  if (screencopy == nullptr) {
    std::fprintf(stderr, "gushmire: the Wayland display offers no "
                         "screencopy: starting from black\n");
    return;
  }
  const bool copied = CopyOutput(
      {screencopy, screencopyVersion, shm}, output->proxy, MonotonicMs() + 5000,
      [this](int timeout) { Pump(timeout); },
      [this](int, int) {
        return CaptureTarget{framebuffer.pixels.data(),
                             static_cast<std::size_t>(framebuffer.width),
                             framebuffer.width, framebuffer.height};
      });
  if (!copied) {
    std::fprintf(stderr, "gushmire: the output's picture could not be "
                         "read: starting from black\n");
  }
}

} // namespace platform::detail::wayland
