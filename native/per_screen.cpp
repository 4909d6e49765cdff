#include "per_screen.h"

#include <poll.h>
#include <sys/prctl.h>
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
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    // Ends with us, however we end.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
      _exit(0);
    }
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
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

  std::map<pid_t, std::string> children;
  std::set<pid_t> retired; // ended by us: their screen went
  std::vector<std::string> known, now;
  std::map<std::string, uint64_t> due; // screens waiting to start, and when
  bool first = true;
  int code = -1;
  while (code < 0) {
    if (platform::StopRequested()) {
      code = 0;
      break;
    }
    if (!system.readScreens(&now)) {
      // The display went: the children find out too and end within a
      // second; give them that, then end what is left.
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
      code = 1;
      break;
    }
    for (const std::string &screen : now) {
      if (std::find(known.begin(), known.end(), screen) == known.end()) {
        due[screen] = MonotonicMs() + (first ? 0 : kSettleMs);
      }
    }
    first = false;
    known = now;
    // A screen no longer listed leaves nothing to cover.
    for (const auto &[pid, screen] : children) {
      if (std::find(now.begin(), now.end(), screen) == now.end() &&
          retired.insert(pid).second) {
        kill(pid, SIGTERM);
      }
    }
    for (auto next = due.begin(); next != due.end();) {
      const bool listed =
          std::find(now.begin(), now.end(), next->first) != now.end();
      if (listed && next->second > MonotonicMs()) {
        ++next;
        continue;
      }
      if (listed) {
        const pid_t pid = Start(system, next->first, argc, argv);
        if (pid > 0) {
          children[pid] = next->first;
        }
      }
      next = due.erase(next);
    }
    int status = 0;
    pid_t pid = 0;
    while (code < 0 && (pid = waitpid(-1, &status, WNOHANG)) > 0) {
      children.erase(pid);
      // A screen that went away leaves nothing to cover; any other end
      // (input, an error) ends the saver on every screen.
      if (retired.erase(pid) == 0 &&
          (!WIFEXITED(status) ||
           WEXITSTATUS(status) != system.screenGoneExit)) {
        code = CodeOf(status);
      }
    }
    if (code < 0) {
      int timeout = -1; // until the display, a child or a signal wakes us
      for (const auto &[screen, when] : due) {
        const uint64_t at = MonotonicMs();
        const int left = when > at ? static_cast<int>(when - at) : 0;
        timeout = timeout < 0 ? left : std::min(timeout, left);
      }
      platform::WaitReadable(system.screensDescriptor(), timeout);
    }
  }
  EndAll(children);
  if (claim >= 0) {
    close(claim);
  }
  return code;
}
