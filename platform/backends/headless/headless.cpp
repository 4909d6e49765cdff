// The headless backend: an in-memory screen, a virtual clock that jumps
// straight to the next timer or scripted event, a cursor that only tests
// move, and no other processes. The same script always gives the same run.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "core/backend.h"
#include "layer_headless.h"

namespace platform::detail {
namespace {

class Headless final : public Backend {
public:
  Framebuffer &Buffer() override { return framebuffer; }

  uint64_t Now() override { return now; }
  DWORD TickCount() override { return static_cast<DWORD>(now + tickOffset); }

  void Poll() override { RunDue(); }

  void Wait(std::optional<uint64_t> deadline) override {
    if (!events.empty() &&
        (!deadline || events.begin()->first.first <= *deadline)) {
      now = std::max(now, events.begin()->first.first);
      idleCalls = 0;
      RunDue();
      return;
    }
    if (deadline) {
      now = std::max(now, *deadline);
      idleCalls = 0;
      return;
    }
    // Nothing can ever arrive: only the idle handler can move the run on.
    // One that keeps doing nothing would spin for ever, so give up then.
    if (idleHandler && ++idleCalls <= kIdleLimit) {
      idleHandler();
      return;
    }
    std::fprintf(stderr,
                 "gushmire platform: waiting for a message that can never "
                 "come (no message, timer or scripted event is pending%s); "
                 "the run would hang\n",
                 idleHandler ? " and the idle handler changed nothing" : "");
    std::abort();
  }

  POINT CursorPosition() override { return cursor; }

  void Reset() override {
    now = 0;
    tickOffset = 0;
    events.clear();
    idleHandler = nullptr;
    idleCalls = 0;
    cursor = POINT{0, 0};
  }

  // Runs the scripted events that are due, earliest first.
  void RunDue() {
    while (!events.empty() && events.begin()->first.first <= now) {
      auto first = events.begin();
      std::function<void()> action = std::move(first->second);
      events.erase(first);
      action();
    }
  }

  static constexpr int kIdleLimit = 1000;
  Framebuffer framebuffer;
  uint64_t now = 0;
  uint64_t tickOffset = 0;
  // Keyed by (due time, order of scheduling): equal times run as given.
  std::map<std::pair<uint64_t, uint64_t>, std::function<void()>> events;
  uint64_t scheduled = 0;
  std::function<void()> idleHandler;
  int idleCalls = 0;
  POINT cursor{0, 0};
};

Headless &headless() {
  static Headless instance;
  return instance;
}

} // namespace

Backend &HeadlessBackend() { return headless(); }

} // namespace platform::detail

namespace platform {

using detail::headless;

void OpenHeadlessDisplay(int width, int height, uint32_t fill) {
  detail::Framebuffer &d = headless().framebuffer;
  d.width = std::clamp(width, 0, detail::kMaxFramebufferSide);
  d.height = std::clamp(height, 0, detail::kMaxFramebufferSide);
  d.originX = 0;
  d.originY = 0;
  d.monitors.clear();
  d.Allocate(static_cast<std::size_t>(d.width) *
             static_cast<std::size_t>(d.height));
  std::fill(d.pixels.begin(), d.pixels.end(), fill & 0x00FFFFFFu);
  detail::ResetSystemPalette();
}

bool OpenHeadlessMonitors(const std::vector<RECT> &monitors, uint32_t fill) {
  if (monitors.empty() || monitors.front().left != 0 ||
      monitors.front().top != 0) {
    return false;
  }
  // Every edge within one largest side of the primary's corner keeps the
  // arithmetic below far from overflow.
  constexpr LONG kFar = detail::kMaxFramebufferSide;
  RECT box = monitors.front();
  for (const RECT &m : monitors) {
    if (m.left >= m.right || m.top >= m.bottom || m.left < -kFar ||
        m.top < -kFar || m.right > kFar || m.bottom > kFar) {
      return false;
    }
    box = RECT{std::min(box.left, m.left), std::min(box.top, m.top),
               std::max(box.right, m.right), std::max(box.bottom, m.bottom)};
  }
  if (box.right - box.left > kFar || box.bottom - box.top > kFar) {
    return false;
  }
  OpenHeadlessDisplay(box.right - box.left, box.bottom - box.top, fill);
  detail::Framebuffer &d = headless().framebuffer;
  d.originX = box.left;
  d.originY = box.top;
  d.monitors = monitors;
  return true;
}

void SetDisplayPicture(const uint32_t *pixels) {
  detail::Framebuffer &d = headless().framebuffer;
  if (pixels != nullptr && !d.pixels.empty()) {
    std::memcpy(d.pixels.data(), pixels, d.pixels.size() * sizeof(uint32_t));
  }
}

void SetFramebufferBitsPerPixel(int bits) {
  if (bits == 8 || bits == 16 || bits == 24 || bits == 32) {
    headless().framebuffer.bitsPerPixel = bits;
    detail::ResetSystemPalette();
  }
}

void SetTickCount(DWORD tick) {
  detail::Headless &h = headless();
  h.tickOffset = static_cast<uint64_t>(tick) - h.now;
}

void ScheduleAfter(DWORD delay, std::function<void()> action) {
  detail::Headless &h = headless();
  if (action) {
    h.events.emplace(std::make_pair(h.now + delay, h.scheduled++),
                     std::move(action));
  }
}

void SetIdleHandler(std::function<void()> handler) {
  headless().idleHandler = std::move(handler);
  headless().idleCalls = 0;
}

void MoveCursorTo(int x, int y) {
  detail::Headless &h = headless();
  // The cursor stays on the virtual screen, as a real one does.
  const int left = h.framebuffer.originX;
  const int top = h.framebuffer.originY;
  x = std::clamp(x, left, left + std::max(0, h.framebuffer.width - 1));
  y = std::clamp(y, top, top + std::max(0, h.framebuffer.height - 1));
  if (x == h.cursor.x && y == h.cursor.y) {
    return;
  }
  h.cursor = POINT{x, y};
  detail::QueueCursorMove(x, y);
}

void MoveCursorBy(int dx, int dy) {
  const POINT at = headless().cursor;
  // Sums are taken in 64 bits: a huge step just ends at the screen edge.
  const auto clampInt = [](long long v) {
    return static_cast<int>(std::clamp<long long>(v, -1LL << 30, 1LL << 30));
  };
  MoveCursorTo(clampInt(static_cast<long long>(at.x) + dx),
               clampInt(static_cast<long long>(at.y) + dy));
}

} // namespace platform
