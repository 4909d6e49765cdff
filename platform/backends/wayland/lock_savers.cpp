// The savers of the lock, a process an output: started on `locked` or when
// an output comes, started again when one ends while the session is
// locked, stopped when their output goes or the lock ends. Their pictures
// are shared memory of their own, handed to the compositor as they are.
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "backends/wayland/lock_holder.h"
#include "core/wait.h"
#include "layer_lock.h"
#include "password/pam_check.h"

namespace platform::detail::wayland::holder {
namespace {

using detail::lock::Got;
using detail::lock::Kind;

// A saver that ends this soon after its start, three times in a row, is
// started again only after a pause, so a broken one cannot spin.
constexpr uint64_t kQuickEndMs = 2000;
constexpr uint64_t kPauseMs = 2000;
constexpr int kQuickEndsBeforePause = 3;
constexpr int kStopWaitMs = 1000;
// Longer than any PAM conversation that is going anywhere (network
// authentication included): past it, the check is killed and refused.
constexpr uint64_t kCheckMs = 60000;

void DropPictures(Screen &s) {
  for (wl_buffer *&picture : s.pictures) {
    if (picture != nullptr) {
      wl_buffer_destroy(picture);
      picture = nullptr;
    }
  }
  if (s.frame != nullptr) {
    wl_callback_destroy(s.frame);
    s.frame = nullptr;
  }
}

void ClosedLink(Screen &s) {
  if (s.link >= 0) {
    close(s.link);
    s.link = -1;
  }
  DropPictures(s);
}

// Two pictures of `m.a` x `m.b` in `fd`, one after the other.
void TakePictures(Screen &s, const Message &m, int fd) {
  Holder &h = TheHolder();
  if (m.a != s.width || m.b != s.height || s.pictures[0] != nullptr) {
    close(fd); // not the size asked for, or a second offer
    return;
  }
  const int32_t stride = m.a * 4;
  const int64_t one = static_cast<int64_t>(stride) * m.b;
  if (2 * one > INT32_MAX) {
    close(fd);
    return;
  }
  wl_shm_pool *pool =
      wl_shm_create_pool(h.shm, fd, static_cast<int32_t>(2 * one));
  static const wl_buffer_listener listener = [] {
    wl_buffer_listener l{};
    l.release = [](void *data, wl_buffer *released) {
      Screen &screen = *static_cast<Screen *>(data);
      for (int i = 0; i < 2; ++i) {
        if (screen.pictures[static_cast<std::size_t>(i)] == released) {
          Message told;
          told.kind = Kind::kReleased;
          told.a = i;
          Tell(screen, told);
        }
      }
    };
    return l;
  }();
  for (int i = 0; i < 2; ++i) {
    wl_buffer *picture =
        wl_shm_pool_create_buffer(pool, static_cast<int32_t>(i * one), m.a, m.b,
                                  stride, WL_SHM_FORMAT_XRGB8888);
    wl_buffer_add_listener(picture, &listener, &s);
    s.pictures[static_cast<std::size_t>(i)] = picture;
  }
  wl_shm_pool_destroy(pool);
  close(fd);
}

void Check(Screen &s, const Message &m) {
  Holder &h = TheHolder();
  const passwd *user = getpwuid(getuid());
  const char *name = user != nullptr ? user->pw_name : std::getenv("USER");
  const CheckStart started =
      name == nullptr ? CheckStart::kBadInput
                      : StartPasswordCheck(
                            name, std::span<const char>(m.text, m.textLength));
  if (started == CheckStart::kStarted) {
    h.checking = &s;
    h.checkDeadline = MonotonicMs() + kCheckMs;
    return;
  }
  Message verdict;
  verdict.kind = Kind::kVerdict;
  verdict.a = 0;
  Tell(s, verdict);
}

} // namespace

void StartSaver(Screen &s) {
  Holder &h = TheHolder();
  if (s.pid >= 0 || !s.configured || h.accepted) {
    return;
  }
  int ends[2];
  if (!detail::lock::MakeLink(ends)) {
    s.restartAt = MonotonicMs() + kPauseMs;
    return;
  }
  const std::string name = s.output->name;
  // Ends with us: a saver without a holder locks nothing.
  const pid_t pid = ForkTiedChild();
  if (pid == 0) {
    const int kept = dup(ends[1]); // without close-on-exec
    if (kept < 0) {
      _exit(127);
    }
    setenv(kLockLinkVariable, std::to_string(kept).c_str(), 1);
    // The saver has no business with the compositor.
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("WAYLAND_SOCKET");
    execl(h.program, h.program, "--screen", name.c_str(), "/s",
          static_cast<char *>(nullptr));
    _exit(127);
  }
  close(ends[1]);
  if (pid < 0) {
    close(ends[0]);
    s.restartAt = MonotonicMs() + kPauseMs;
    return;
  }
  s.pid = pid;
  s.link = ends[0];
  s.startedAt = MonotonicMs();
  s.restartAt = 0;
  Message screen;
  screen.kind = Kind::kScreen;
  screen.a = s.width;
  screen.b = s.height;
  const bool fits = s.desktopWidth == s.width && s.desktopHeight == s.height;
  Tell(s, screen, fits ? s.desktop : -1);
}

void StopSaver(Screen &s) {
  ClosedLink(s);
  if (s.pid < 0) {
    return;
  }
  kill(s.pid, SIGTERM);
  int status = 0;
  const uint64_t until = MonotonicMs() + kStopWaitMs;
  while (waitpid(s.pid, &status, WNOHANG) == 0) {
    if (MonotonicMs() >= until) {
      kill(s.pid, SIGKILL);
      waitpid(s.pid, &status, 0);
      break;
    }
    usleep(10000);
  }
  s.pid = -1;
  s.restartAt = 0;
}

void Tell(Screen &s, const Message &m, int fd) {
  if (s.link >= 0 && !detail::lock::Send(s.link, m, fd)) {
    ClosedLink(s); // its end is reaped and it is started again
  }
}

void ReadSaver(Screen &s) {
  Message m;
  for (int taken = 0; s.link >= 0 && taken < 64; ++taken) {
    int fd = -1;
    const Got got = detail::lock::Receive(s.link, &m, &fd);
    if (got == Got::kNothing) {
      return;
    }
    if (got == Got::kClosed) {
      ClosedLink(s);
      return;
    }
    if (got != Got::kMessage) {
      continue;
    }
    switch (m.kind) {
    case Kind::kBuffers:
      TakePictures(s, m, fd);
      fd = -1;
      break;
    case Kind::kCommit:
      ShowPicture(s, m);
      break;
    case Kind::kCheck:
      Check(s, m);
      break;
    default:
      break; // kCursor: the lock shows no pointer anyway; the rest are ours
    }
    if (fd >= 0) {
      close(fd);
    }
    detail::lock::Wipe(&m);
  }
}

void ReapSavers() {
  Holder &h = TheHolder();
  for (auto &s : h.screens) {
    int status = 0;
    if (s->pid < 0 || waitpid(s->pid, &status, WNOHANG) != s->pid) {
      continue;
    }
    ClosedLink(*s);
    s->pid = -1;
    if (h.accepted) {
      continue;
    }
    const uint64_t now = MonotonicMs();
    s->quickEnds = now - s->startedAt < kQuickEndMs ? s->quickEnds + 1 : 0;
    s->restartAt = now + (s->quickEnds >= kQuickEndsBeforePause ? kPauseMs : 1);
    std::fprintf(stderr, "gushmire: the saver on %s ended; starting another\n",
                 s->output->name.c_str());
  }
}

void StartDueSavers() {
  const uint64_t now = MonotonicMs();
  for (auto &s : TheHolder().screens) {
    if (s->pid < 0 && s->restartAt != 0 && s->restartAt <= now) {
      StartSaver(*s);
    }
  }
}

uint64_t NextDue() {
  Holder &h = TheHolder();
  uint64_t next = PasswordCheckProcess() >= 0 ? h.checkDeadline : 0;
  for (auto &s : h.screens) {
    if (s->pid < 0 && s->restartAt != 0 && (next == 0 || s->restartAt < next)) {
      next = s->restartAt;
    }
  }
  return next;
}

void CheckOverdue() {
  Holder &h = TheHolder();
  if (PasswordCheckProcess() < 0 || MonotonicMs() < h.checkDeadline) {
    return;
  }
  CancelPasswordCheck();
  std::fprintf(stderr,
               "gushmire: password check: no answer from PAM in "
               "%llu s; refused\n",
               static_cast<unsigned long long>(kCheckMs / 1000));
  Screen *asked = h.checking;
  h.checking = nullptr;
  if (asked != nullptr) {
    Message verdict;
    verdict.kind = Kind::kVerdict;
    verdict.a = 0;
    Tell(*asked, verdict);
  }
}

void CheckEnded() {
  Holder &h = TheHolder();
  const CheckOutcome outcome = TakePasswordCheckOutcome();
  if (outcome == CheckOutcome::kRunning || outcome == CheckOutcome::kNone) {
    return;
  }
  Screen *asked = h.checking;
  h.checking = nullptr;
  if (outcome == CheckOutcome::kAccepted) {
    h.accepted = true;
  } else {
    // What a session's log should have of a refusal: when, not what.
    std::fprintf(stderr, "gushmire: password check: %s\n",
                 outcome == CheckOutcome::kRefused ? "refused" : "failed");
  }
  if (asked != nullptr) {
    Message verdict;
    verdict.kind = Kind::kVerdict;
    verdict.a = outcome == CheckOutcome::kAccepted ? 1 : 0;
    Tell(*asked, verdict);
  }
}

} // namespace platform::detail::wayland::holder
