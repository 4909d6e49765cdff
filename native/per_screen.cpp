#include "per_screen.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "layer.h"
#include "options.h"

namespace {

// How long the others get to end before they are killed.
constexpr int kEndMs = 2000;
// A screen plugged in while we run shows its wallpaper only once the
// desktop has drawn it there: its saver starts this much later, so the
// picture it starts from is the desktop, not a blank screen.
constexpr uint64_t kSettleMs = 1000;

using platform::MonotonicMs;

// The claim of the one saver on this display: a name in the abstract
// socket namespace, held while the process lives and gone with it however
// it ends. Keyed on the user, the runtime folder and the display, so
// separate sessions (and separate test compositors) do not meet. -1 when
// another process holds it.
int Claim(const DisplaySystem &system) {
  const char *runtime = std::getenv("XDG_RUNTIME_DIR");
  const char *display = std::getenv(system.variables[0]);
  std::string key = "gushmire/" + std::to_string(getuid()) + "/" +
                    (runtime != nullptr ? runtime : "") + "/" +
                    (display != nullptr ? display : "");
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // Too long a key keeps its end, where the display's name is.
  const std::size_t room = sizeof address.sun_path - 1;
  if (key.size() > room) {
    key = key.substr(key.size() - room);
  }
  std::memcpy(address.sun_path + 1, key.data(), key.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    return -2; // no socket: run without the claim rather than not at all
  }
  const auto length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + key.size());
  if (bind(fd, reinterpret_cast<const sockaddr *>(&address), length) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

pid_t Start(const DisplaySystem &system, const std::string &screen, int argc,
            char **argv) {
  std::vector<char *> arguments{argv[0]};
  const char *ours[] = {"--backend", system.name, "--screen", screen.c_str()};
  for (const char *option : ours) {
    arguments.push_back(const_cast<char *>(option));
  }
  arguments.insert(arguments.end(), argv + 1, argv + argc);
  arguments.push_back(nullptr);
  const pid_t pid = platform::ForkTiedChild();
  if (pid == 0) {
    execv("/proc/self/exe", arguments.data());
    std::perror("gushmire: cannot start a saver for a screen");
    _exit(127);
  }
  return pid;
}

int CodeOf(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Ends every child still running: SIGTERM, then SIGKILL after kEndMs.
void EndAll(std::map<pid_t, std::string> &children) {
  for (const auto &[pid, screen] : children) {
    kill(pid, SIGTERM);
  }
  const uint64_t deadline = MonotonicMs() + kEndMs;
  while (!children.empty()) {
    int status = 0;
    const pid_t pid = waitpid(-1, &status, WNOHANG);
    if (pid > 0) {
      children.erase(pid);
    } else if (pid < 0) {
      break;
    } else if (MonotonicMs() >= deadline) {
      for (const auto &[left, screen] : children) {
        kill(left, SIGKILL);
      }
      while (waitpid(-1, &status, 0) > 0) {
      }
      children.clear();
    } else {
      poll(nullptr, 0, 10);
    }
  }
}

// The savers of one display: those running, by process, and the screens
// waiting to start one.
struct Savers {
  std::map<pid_t, std::string> children;
  std::set<pid_t> retired; // ended by us: their screen went
  std::vector<std::string> known;
  std::map<std::string, uint64_t> due; // screens waiting to start, and when
  bool first = true;
};

// Takes in the screens listed now: a new one is due at once on the first
// reading, after kSettleMs later on; one no longer listed leaves nothing to
// cover, so its saver is ended.
void Follow(Savers &savers, const std::vector<std::string> &now) {
  const auto listed = [&now](const std::string &screen) {
    return std::find(now.begin(), now.end(), screen) != now.end();
  };
  for (const std::string &screen : now) {
    if (std::find(savers.known.begin(), savers.known.end(), screen) ==
        savers.known.end()) {
      savers.due[screen] = MonotonicMs() + (savers.first ? 0 : kSettleMs);
    }
  }
  savers.first = false;
  savers.known = now;
  for (const auto &[pid, screen] : savers.children) {
    if (!listed(screen) && savers.retired.insert(pid).second) {
      kill(pid, SIGTERM);
    }
  }
}

// Starts the savers that are due on screens still listed.
void StartDue(Savers &savers, const DisplaySystem &system, int argc,
              char **argv) {
  for (auto next = savers.due.begin(); next != savers.due.end();) {
    const bool listed = std::find(savers.known.begin(), savers.known.end(),
                                  next->first) != savers.known.end();
    if (listed && next->second > MonotonicMs()) {
      ++next;
      continue;
    }
    if (listed) {
      const pid_t pid = Start(system, next->first, argc, argv);
      if (pid > 0) {
        savers.children[pid] = next->first;
      }
    }
    next = savers.due.erase(next);
  }
}

// Collects the savers that ended: the exit code of the first that ended on
// its own, -1 while none has. One whose screen went away leaves nothing to
// cover; any other end (input, an error) ends the saver on every screen.
int Reap(Savers &savers, const DisplaySystem &system) {
  int status = 0;
  pid_t pid = 0;
  while ((pid = waitpid(-1, &status, WNOHANG)) > 0) {
    savers.children.erase(pid);
    if (savers.retired.erase(pid) == 0 &&
        (!WIFEXITED(status) || WEXITSTATUS(status) != system.screenGoneExit)) {
      return CodeOf(status);
    }
  }
  return -1;
}

// Until the next saver is due; -1 when none is.
int NextDue(const Savers &savers) {
  int timeout = -1;
  for (const auto &[screen, when] : savers.due) {
    const uint64_t at = MonotonicMs();
    const int left = when > at ? static_cast<int>(when - at) : 0;
    timeout = timeout < 0 ? left : std::min(timeout, left);
  }
  return timeout;
}

// The display went: the children find out too and end within a second;
// give them that (EndAll ends what is left).
void LetThemEnd(std::map<pid_t, std::string> &children) {
  const uint64_t deadline = MonotonicMs() + 1000;
  while (!children.empty() && MonotonicMs() < deadline) {
    int status = 0;
    const pid_t pid = waitpid(-1, &status, WNOHANG);
    if (pid > 0) {
      children.erase(pid);
    } else {
      poll(nullptr, 0, 10);
    }
  }
}

} // namespace

int RunPerScreen(const DisplaySystem &system, int argc, char **argv,
                 bool single) {
  const int claim = single ? Claim(system) : -2;
  if (claim == -1) {
    if (system.raiseRunning != nullptr) {
      system.raiseRunning();
    }
    return 0; // one runs already
  }
  if (!system.watchScreens()) {
    const char *named = std::getenv(system.variables[0]);
    std::fprintf(stderr, "gushmire: cannot open %s \"%s\"\n", system.what,
                 named != nullptr ? named : "");
    return kNoDisplayExit;
  }
  // A child's end and the stop signals wake the wait.
  if (!platform::CatchStopSignals() || !platform::WakeOnChildExit()) {
    std::perror("gushmire: signals");
    return 1;
  }
  Savers savers;
  std::vector<std::string> now;
  int code = -1;
  while (code < 0) {
    if (platform::StopRequested()) {
      code = 0;
    } else if (!system.readScreens(&now)) {
      LetThemEnd(savers.children);
      code = 1;
    } else {
      Follow(savers, now);
      StartDue(savers, system, argc, argv);
      code = Reap(savers, system);
      if (code < 0) {
        // Until the display, a child or a signal wakes us.
        platform::WaitReadable(system.screensDescriptor(), NextDue(savers));
      }
    }
  }
  EndAll(savers.children);
  if (claim >= 0) {
    close(claim);
  }
  return code;
}
