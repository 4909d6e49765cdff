// Which backend the layer uses: the headless display until the program's
// entry chooses another.
#include "backend.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <ctime>

namespace platform::detail {
namespace {
Backend *chosen = nullptr;

volatile std::sig_atomic_t stopRequested = 0;
int wakePipe[2] = {-1, -1};
void OnStopSignal(int) {
  stopRequested = 1;
  const char byte = 0;
  const ssize_t written = write(wakePipe[1], &byte, 1);
  static_cast<void>(written);
}
} // namespace

Backend &TheBackend() {
  return chosen != nullptr ? *chosen : HeadlessBackend();
}
void UseBackend(Backend *backend) { chosen = backend; }

} // namespace platform::detail

namespace platform::detail {

uint64_t MonotonicMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<uint64_t>(t.tv_sec) * 1000u +
         static_cast<uint64_t>(t.tv_nsec) / 1000000u;
}

RECT Intersect(const RECT &a, const RECT &b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top),
              std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}
bool Empty(const RECT &r) { return r.left >= r.right || r.top >= r.bottom; }

int PollTimeout(std::optional<uint64_t> deadline, uint64_t now) {
  if (!deadline) {
    return -1;
  }
  return *deadline <= now
             ? 0
             : static_cast<int>(std::min<uint64_t>(*deadline - now, 1u << 30));
}

bool CatchStopSignals() {
  if (wakePipe[0] < 0 && pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) {
    return false;
  }
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  return sigaction(SIGTERM, &action, nullptr) == 0 &&
         sigaction(SIGINT, &action, nullptr) == 0;
}

int StopSignalDescriptor() { return wakePipe[0]; }

bool StopRequested() { return stopRequested != 0; }

bool TakeStopRequest() {
  if (stopRequested == 0) {
    return false;
  }
  stopRequested = 0;
  char drain[64];
  while (read(wakePipe[0], drain, sizeof drain) > 0) {
  }
  return true;
}

} // namespace platform::detail
