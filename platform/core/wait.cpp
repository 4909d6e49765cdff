// The one way the layer, its backends and the native program wait: poll on
// a descriptor and the wake pipe, on a clock that never goes back.
#include "core/wait.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <ctime>

namespace platform {
namespace {
volatile std::sig_atomic_t stopRequested = 0;
int wakePipe[2] = {-1, -1};
void Wake() {
  const char byte = 0;
  const ssize_t written = write(wakePipe[1], &byte, 1);
  static_cast<void>(written);
}
void OnStopSignal(int) {
  stopRequested = 1;
  Wake();
}
void OnChildSignal(int) { Wake(); }

bool OpenWakePipe() {
  return wakePipe[0] >= 0 || pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) == 0;
}
void DrainWakePipe() {
  char drain[64];
  while (wakePipe[0] >= 0 && read(wakePipe[0], drain, sizeof drain) > 0) {
  }
}
} // namespace

uint64_t MonotonicMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<uint64_t>(t.tv_sec) * 1000u +
         static_cast<uint64_t>(t.tv_nsec) / 1000000u;
}

bool CatchStopSignals() {
  if (!OpenWakePipe()) {
    return false;
  }
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  return sigaction(SIGTERM, &action, nullptr) == 0 &&
         sigaction(SIGINT, &action, nullptr) == 0;
}

bool WakeOnChildExit() {
  if (!OpenWakePipe()) {
    return false;
  }
  struct sigaction action {};
  action.sa_handler = OnChildSignal;
  action.sa_flags = SA_NOCLDSTOP | SA_RESTART;
  sigemptyset(&action.sa_mask);
  return sigaction(SIGCHLD, &action, nullptr) == 0;
}

bool StopRequested() { return stopRequested != 0; }

int ForkTiedChild() {
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid != 0) {
    return pid;
  }
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) {
    _exit(0); // we ended before the tie was made
  }
  for (const int number : {SIGTERM, SIGINT, SIGCHLD, SIGPIPE}) {
    std::signal(number, SIG_DFL);
  }
  return 0;
}

bool WaitReadable(int descriptor, int timeout) {
  pollfd descriptors[2] = {{descriptor, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
  const int ready = poll(descriptors, wakePipe[0] >= 0 ? 2 : 1, timeout);
  // A stop stays requested until taken; the pipe only wakes.
  DrainWakePipe();
  return ready > 0 && descriptors[0].revents != 0;
}

} // namespace platform

namespace platform::detail {

int PollTimeout(std::optional<uint64_t> deadline, uint64_t now) {
  if (!deadline) {
    return -1;
  }
  return *deadline <= now
             ? 0
             : static_cast<int>(std::min<uint64_t>(*deadline - now, 1u << 30));
}

bool TakeStopRequest() {
  if (stopRequested == 0) {
    return false;
  }
  stopRequested = 0;
  DrainWakePipe();
  return true;
}

int WakeDescriptor() { return wakePipe[0]; }

void DrainWake() { DrainWakePipe(); }

} // namespace platform::detail
