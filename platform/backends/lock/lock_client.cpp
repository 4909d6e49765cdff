// The backend of a saver that a screen lock's holder runs on one output:
// its display is the holder, across the link of core/lock_link.h. The
// framebuffer is one of two pictures in shared memory of our own, which the
// holder hands to the compositor untouched: committing one lends the
// framebuffer the other, once the compositor has let go of it and the boxes
// it missed are copied across, so an output is held twice, never three
// times. Input, frame pacing and the password's verdict come back the same
// way. The holder outlives us; if it goes, so do we (the session stays
// locked without us).
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/backend.h"
#include "core/lock_link.h"
#include "core/utf8.h"
#include "layer_lock.h"

namespace platform::detail::lock {
namespace {

// What the compositor may take before letting the other picture go.
constexpr uint64_t kReleaseWaitMs = 2000;
constexpr int kHolderGoneExit = 1;

class LockClient final : public Backend {
public:
  bool Open(int descriptor);

  Framebuffer &Buffer() override { return framebuffer; }
  void Present(const RECT &area) override;
  uint64_t Now() override { return MonotonicMs() - start; }
  DWORD TickCount() override { return static_cast<DWORD>(MonotonicMs()); }
  void Poll() override { Read(); }
  void Wait(std::optional<uint64_t> deadline) override;
  POINT CursorPosition() override { return cursor; }
  void ShowCursor(bool shown) override;

  // The password check of ProvidePasswordCheck, through the holder.
  bool StartCheck(std::span<const char> password);
  int Verdict() const { return verdict; }

private:
  // Takes everything the holder sent, without waiting.
  void Read();
  void Take(const Message &m, int fd);
  [[noreturn]] void HolderGone();
  void Commit();
  void Desktop(int fd);
  std::span<uint32_t> Picture(int index) {
    return {pictures + static_cast<std::size_t>(index) * count, count};
  }

  int link = -1;
  Framebuffer framebuffer;
  uint32_t *pictures = nullptr; // two, `count` pixels each
  std::size_t count = 0;
  int drawing = 0;
  std::array<bool, 2> busy{};
  std::array<std::vector<RECT>, 2> stale; // boxes each picture missed
  std::vector<RECT> pending;              // drawn, not yet committed
  bool frameDue = true;
  bool waitingLong = false;
  bool delivered = false; // input or a verdict came since Wait began
  POINT cursor{0, 0};
  int verdict = -1;
  uint64_t start = MonotonicMs();
};

LockClient &Client() {
  static LockClient instance;
  return instance;
}

void AddBox(std::vector<RECT> &boxes, const RECT &box) {
  AddDamage(boxes, box, kMaxBoxes);
}
bool LockClient::Open(int descriptor) {
  // The holder speaks first: the output's size.
  Message m;
  int fd = -1;
  const uint64_t deadline = MonotonicMs() + 5000;
  for (;;) {
    const uint64_t now = MonotonicMs();
    if (now >= deadline) {
      std::fprintf(stderr, "gushmire: the lock holder said nothing\n");
      return false;
    }
    WaitReadable(descriptor, static_cast<int>(deadline - now));
    const Got got = Receive(descriptor, &m, &fd);
    if (got == Got::kClosed) {
      return false;
    }
    if (got == Got::kMessage && m.kind == Kind::kScreen) {
      break;
    }
    if (fd >= 0) {
      close(fd);
    }
  }
  const auto pixels =
      static_cast<std::size_t>(m.a) * static_cast<std::size_t>(m.b);
  const int memory = memfd_create("gushmire-lock", MFD_CLOEXEC);
  const auto bytes = static_cast<off_t>(2 * pixels * sizeof(uint32_t));
  void *mapped = MAP_FAILED;
  if (memory >= 0 && ftruncate(memory, bytes) == 0) {
    mapped = mmap(nullptr, static_cast<std::size_t>(bytes),
                  PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0);
  }
  if (mapped == MAP_FAILED) {
    std::fprintf(stderr, "gushmire: no shared memory for the lock\n");
    if (memory >= 0) {
      close(memory);
    }
    if (fd >= 0) {
      close(fd);
    }
    return false;
  }
  // Opened again (tests do): nothing of the last link stays.
  uint32_t *const previous = pictures;
  const std::size_t previousCount = count;
  if (link >= 0 && link != descriptor) {
    close(link);
  }
  link = descriptor;
  pictures = static_cast<uint32_t *>(mapped);
  count = pixels;
  drawing = 0;
  busy = {};
  stale = {};
  pending.clear();
  frameDue = true;
  cursor = POINT{0, 0};
  verdict = -1;
  framebuffer.width = m.a;
  framebuffer.height = m.b;
  framebuffer.bitsPerPixel = 32;
  framebuffer.Lend(Picture(0));
  // The first picture shown is all new to the compositor, which may still
  // hold a saver before us there.
  pending.assign(1, RECT{0, 0, m.a, m.b});
  if (previous != nullptr) {
    munmap(previous, 2 * previousCount * sizeof(uint32_t));
  }
  Desktop(fd);
  Message buffers;
  buffers.kind = Kind::kBuffers;
  buffers.a = m.a;
  buffers.b = m.b;
  const bool sent = Send(link, buffers, memory);
  close(memory);
  if (!sent) {
    return false;
  }
  start = MonotonicMs();
  return true;
}

// The desktop as it was, under the drawing, where the holder was asked to
// keep it: the same size as we are, or nothing.
void LockClient::Desktop(int fd) {
  if (fd < 0) {
    return; // black, as the memory starts
  }
  struct stat about {};
  const std::size_t bytes = count * sizeof(uint32_t);
  if (fstat(fd, &about) == 0 && about.st_size >= 0 &&
      static_cast<std::size_t>(about.st_size) >= bytes) {
    void *picture = mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE, fd, 0);
    if (picture != MAP_FAILED) {
      std::memcpy(pictures, picture, bytes);
      std::memcpy(pictures + count, picture, bytes);
      munmap(picture, bytes);
    }
  }
  close(fd);
}

void LockClient::Present(const RECT &area) { AddBox(pending, area); }

void LockClient::ShowCursor(bool shown) {
  Message m;
  m.kind = Kind::kCursor;
  m.a = shown ? 1 : 0;
  Send(link, m);
}

void LockClient::HolderGone() {
  std::fprintf(stderr, "gushmire: the lock holder went away\n");
  _exit(kHolderGoneExit);
}

void LockClient::Read() {
  Message m;
  for (;;) {
    int fd = -1;
    const Got got = Receive(link, &m, &fd);
    if (got == Got::kNothing) {
      return;
    }
    if (got == Got::kClosed) {
      HolderGone();
    }
    if (got == Got::kMessage) {
      Take(m, fd);
    }
    Wipe(&m); // key text may be part of a password
  }
}

void LockClient::Take(const Message &m, int fd) {
  if (fd >= 0) {
    close(fd); // only the first kScreen brings one
  }
  delivered = delivered || m.kind == Kind::kKey || m.kind == Kind::kPointer ||
              m.kind == Kind::kButton || m.kind == Kind::kVerdict;
  switch (m.kind) {
  case Kind::kKey:
    QueueKey(static_cast<UINT>(m.a), m.b != 0);
    // Malformed bytes type nothing.
    for (std::size_t at = 0; at < m.textLength;) {
      if (const auto point =
              NextCodePoint(std::string_view(m.text, m.textLength), &at)) {
        QueueCharacter(*point);
      }
    }
    break;
  case Kind::kPointer:
    cursor = POINT{std::clamp(m.a, 0, framebuffer.width - 1),
                   std::clamp(m.b, 0, framebuffer.height - 1)};
    QueueCursorMove(cursor.x, cursor.y);
    break;
  case Kind::kButton:
    QueueButtonAt(static_cast<UINT>(m.a), m.b != 0, cursor);
    break;
  case Kind::kReleased:
    busy[static_cast<std::size_t>(m.a)] = false;
    break;
  case Kind::kFrame:
    frameDue = true;
    break;
  case Kind::kVerdict:
    verdict = m.a;
    VerdictArrived();
    break;
  default:
    break; // a saver's own kinds, or a second kScreen: nothing to do
  }
}

void LockClient::Wait(std::optional<uint64_t> deadline) {
  delivered = false;
  Commit();
  // Input or a verdict read while a commit waited is there to be seen.
  if (!delivered) {
    WaitReadable(link, PollTimeout(deadline, Now()));
  }
  Read();
  Commit();
}

void LockClient::Commit() {
  if (pending.empty() || !frameDue) {
    return;
  }
  Message m;
  m.kind = Kind::kCommit;
  m.a = drawing;
  const RECT whole{0, 0, framebuffer.width, framebuffer.height};
  for (const RECT &box : pending) {
    const RECT part = Intersect(box, whole);
    if (!Empty(part) && m.boxCount < kMaxBoxes) {
      m.boxes[m.boxCount++] = Box{part.left, part.top, part.right, part.bottom};
    }
  }
  if (!Send(link, m)) {
    HolderGone();
  }
  const int next = 1 - drawing;
  busy[static_cast<std::size_t>(drawing)] = true;
  frameDue = false;
  for (const RECT &box : pending) {
    AddBox(stale[static_cast<std::size_t>(next)], box);
  }
  pending.clear();
  // The compositor lets go of the other picture once this one is shown.
  const uint64_t until = MonotonicMs() + kReleaseWaitMs;
  while (busy[static_cast<std::size_t>(next)] && MonotonicMs() < until) {
    WaitReadable(link, static_cast<int>(until - MonotonicMs()));
    Read();
  }
  if (busy[static_cast<std::size_t>(next)]) {
    // Drawing on in the picture just committed may tear; stopping would
    // stop the animation.
    if (!waitingLong) {
      std::fprintf(stderr, "gushmire: the compositor keeps both lock "
                           "pictures; drawing on in the one shown\n");
      waitingLong = true;
    }
    AddBox(pending, whole);
    return;
  }
  const auto from = Picture(drawing);
  const auto to = Picture(next);
  const auto width = static_cast<std::size_t>(framebuffer.width);
  for (const RECT &box : stale[static_cast<std::size_t>(next)]) {
    const RECT part = Intersect(box, whole);
    for (LONG row = part.top; row < part.bottom; ++row) {
      const std::size_t at = static_cast<std::size_t>(row) * width +
                             static_cast<std::size_t>(part.left);
      std::memcpy(to.data() + at, from.data() + at,
                  static_cast<std::size_t>(part.right - part.left) *
                      sizeof(uint32_t));
    }
  }
  stale[static_cast<std::size_t>(next)].clear();
  drawing = next;
  framebuffer.Lend(to);
}

bool LockClient::StartCheck(std::span<const char> password) {
  if (password.size() > kMaxText) {
    return false;
  }
  Message m;
  m.kind = Kind::kCheck;
  m.textLength = static_cast<uint32_t>(password.size());
  std::memcpy(m.text, password.data(), password.size());
  verdict = -1;
  const bool sent = Send(link, m);
  Wipe(&m);
  return sent;
}

} // namespace
} // namespace platform::detail::lock

namespace platform {

bool OpenLockLink(int descriptor) {
  auto &client = detail::lock::Client();
  if (!client.Open(descriptor)) {
    return false;
  }
  detail::UseBackend(&client);
  ProvidePasswordCheck(
      PasswordCheck{[](std::span<const char> password) {
                      return detail::lock::Client().StartCheck(password);
                    },
                    [] { return detail::lock::Client().Verdict(); }});
  return true;
}

} // namespace platform
