// The password check in a forked child: it reads the password from a pipe,
// asks PAM, writes one verdict byte and exits. The parent believes only an
// explicit "accepted" from a child that exited cleanly.
#include "password/pam_check.h"

#include "password/conversation.h"

#include <fcntl.h>
#include <pthread.h>
#include <security/pam_appl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace platform::detail {
namespace {

// Unlike 0 or 1, these are not what a stray write would likely put there.
constexpr unsigned char kAcceptedByte = 0xA5;
constexpr unsigned char kRefusedByte = 0x5A;
constexpr unsigned char kFailedByte = 0x0F;

struct Running {
  pid_t pid = -1;
  int verdictFd = -1; // the read end of the child's verdict pipe
  unsigned char verdict = 0;
  std::size_t verdictBytes = 0;
};
Running running;

void CloseFd(int &fd) {
  if (fd >= 0) {
    close(fd);
    fd = -1;
  }
}

bool WriteAll(int fd, const void *data, std::size_t size) {
  const auto *bytes = static_cast<const unsigned char *>(data);
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool ReadAll(int fd, void *data, std::size_t size) {
  auto *bytes = static_cast<unsigned char *>(data);
  while (size > 0) {
    const ssize_t got = read(fd, bytes, size);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return false;
    }
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

pid_t WaitFor(pid_t pid, int *status, int flags) {
  pid_t reaped;
  do {
    reaped = waitpid(pid, status, flags);
  } while (reaped < 0 && errno == EINTR);
  return reaped;
}

// --- The child ---------------------------------------------------------

bool ReadSecret(int fd, Secret &secret) {
  std::uint32_t size = 0;
  return ReadAll(fd, &size, sizeof size) && size <= kMaxPasswordBytes &&
         AllocateSecret(secret, size) && ReadAll(fd, secret.text, size);
}

// Refused: PAM's answer about this user and password. Anything else is PAM
// unable to answer, which the parent reads as not accepted all the same.
unsigned char VerdictOf(int status) {
  switch (status) {
  case PAM_SUCCESS:
    return kAcceptedByte;
  case PAM_AUTH_ERR:
  case PAM_USER_UNKNOWN:
  case PAM_PERM_DENIED:
  case PAM_ACCT_EXPIRED:
  case PAM_NEW_AUTHTOK_REQD:
  case PAM_CRED_INSUFFICIENT:
  case PAM_MAXTRIES:
    return kRefusedByte;
  default:
    return kFailedByte;
  }
}

unsigned char AskPam(const char *user, Secret &secret) {
  const pam_conv conversation{AnswerPam, &secret};
  pam_handle_t *pam = nullptr;
  int status = pam_start(kPamService, user, &conversation, &pam);
  if (status != PAM_SUCCESS) {
    return kFailedByte; // the handle is undefined then: no pam_end
  }
  status = pam_authenticate(pam, 0);
  if (status == PAM_SUCCESS) {
    status = pam_acct_mgmt(pam, 0);
  }
  if (status == PAM_SUCCESS) {
    // Renews what login established (a Kerberos ticket, say). Its failure
    // does not undo that the user proved who they are.
    pam_setcred(pam, PAM_ESTABLISH_CRED);
  }
  pam_end(pam, status);
  return VerdictOf(status);
}

// The caller's handlers are not the child's: a SIGTERM must end the child
// rather than, say, write into the caller's wake pipe. Nor its mask: a
// caller that blocks signals for signalfd would leave the child deaf.
void ResetSignals() {
  for (const int signal :
       {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2,
        SIGCHLD, SIGTSTP, SIGTTIN, SIGTTOU}) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
  sigset_t none;
  sigemptyset(&none);
  pthread_sigmask(SIG_SETMASK, &none, nullptr);
}

// The caller's descriptors (a display connection, its wake pipe) are none
// of PAM's business.
void CloseOthers(int keepLow, int keepHigh) {
  if (keepLow > keepHigh) {
    std::swap(keepLow, keepHigh);
  }
  const auto closeRange = [](int from, int to) {
    if (from <= to) {
      close_range(static_cast<unsigned>(from), static_cast<unsigned>(to), 0);
    }
  };
  closeRange(3, keepLow - 1);
  closeRange(keepLow + 1, keepHigh - 1);
  closeRange(keepHigh + 1, static_cast<int>(~0u >> 1));
}

[[noreturn]] void RunChild(const char *user, int passwordFd, int verdictFd,
                           pid_t parent) {
  ResetSignals();
  // Dies with the thread that forked it; if the parent is already gone,
  // now: an orphan has no one to tell.
  if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) {
    _exit(1);
  }
  // No core file and no same-user ptrace to read the password from.
  prctl(PR_SET_DUMPABLE, 0);
  CloseOthers(passwordFd, verdictFd);
  Secret secret;
  unsigned char verdict = kFailedByte;
  if (ReadSecret(passwordFd, secret)) {
    verdict = AskPam(user, secret);
  }
  WipeSecret(secret);
  close(passwordFd);
  _exit(WriteAll(verdictFd, &verdict, 1) ? 0 : 1);
}

// --- The parent --------------------------------------------------------

// The whole password goes in before the child exists: with the read end
// still ours the write raises no SIGPIPE, and non-blocking, it cannot wait
// on a reader either. A pipe too small for it fails the start.
bool FillPipe(int fd, std::span<const char> password) {
  const std::size_t needed = sizeof(std::uint32_t) + password.size();
  const int capacity = fcntl(fd, F_GETPIPE_SZ);
  if (capacity >= 0 && static_cast<std::size_t>(capacity) < needed) {
    fcntl(fd, F_SETPIPE_SZ, static_cast<int>(needed));
  }
  const auto size = static_cast<std::uint32_t>(password.size());
  return fcntl(fd, F_SETFL, O_NONBLOCK) == 0 &&
         WriteAll(fd, &size, sizeof size) &&
         WriteAll(fd, password.data(), password.size());
}

CheckOutcome Finish(bool reaped, int status) {
  const bool clean = reaped && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                     running.verdictBytes == 1;
  CheckOutcome outcome = CheckOutcome::kFailed;
  if (clean && running.verdict == kAcceptedByte) {
    outcome = CheckOutcome::kAccepted;
  } else if (clean && running.verdict == kRefusedByte) {
    outcome = CheckOutcome::kRefused;
  }
  CloseFd(running.verdictFd);
  running = {};
  return outcome;
}

} // namespace

CheckStart StartPasswordCheck(std::string_view user,
                              std::span<const char> password) {
  if (running.pid >= 0) {
    return CheckStart::kBusy;
  }
  // PAM takes C strings: a NUL inside would cut the name or the password
  // short, and a password cut short could match a shorter one.
  if (user.empty() || user.size() > kMaxUserBytes ||
      user.find('\0') != std::string_view::npos ||
      password.size() > kMaxPasswordBytes ||
      (!password.empty() &&
       std::memchr(password.data(), '\0', password.size()) != nullptr)) {
    return CheckStart::kBadInput;
  }
  const std::string name(user);
  int toChild[2];
  int fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) != 0) {
    return CheckStart::kSystemError;
  }
  if (pipe2(fromChild, O_CLOEXEC) != 0) {
    CloseFd(toChild[0]);
    CloseFd(toChild[1]);
    return CheckStart::kSystemError;
  }
  pid_t pid = -1;
  if (FillPipe(toChild[1], password)) {
    // Until the child has reset them, a signal to it would run the
    // caller's handlers there: it waits, blocked, for the defaults.
    sigset_t all;
    sigset_t callers;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &callers);
    const pid_t parent = getpid();
    pid = fork();
    if (pid == 0) {
      close(toChild[1]);
      close(fromChild[0]);
      RunChild(name.c_str(), toChild[0], fromChild[1], parent);
    }
    pthread_sigmask(SIG_SETMASK, &callers, nullptr);
  }
  // Closing the pipe drops what it held of the password.
  CloseFd(toChild[0]);
  CloseFd(toChild[1]);
  CloseFd(fromChild[1]);
  if (pid < 0 || fcntl(fromChild[0], F_SETFL, O_NONBLOCK) != 0) {
    if (pid > 0) {
      kill(pid, SIGKILL);
      int status = 0;
      WaitFor(pid, &status, 0);
    }
    CloseFd(fromChild[0]);
    return CheckStart::kSystemError;
  }
  running.pid = pid;
  running.verdictFd = fromChild[0];
  return CheckStart::kStarted;
}

int PasswordCheckDescriptor() { return running.verdictFd; }

pid_t PasswordCheckProcess() { return running.pid; }

CheckOutcome TakePasswordCheckOutcome() {
  if (running.pid < 0) {
    return CheckOutcome::kNone;
  }
  for (;;) {
    unsigned char bytes[16];
    const ssize_t got = read(running.verdictFd, bytes, sizeof bytes);
    if (got > 0) {
      if (running.verdictBytes == 0) {
        running.verdict = bytes[0];
      }
      running.verdictBytes += static_cast<std::size_t>(got);
      continue;
    }
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return CheckOutcome::kRunning;
    }
    break; // end of file, or a broken pipe: the child is done talking
  }
  // The child closed its end, which it does by exiting; one still there is
  // either a breath from gone or not one to wait for: killed, it is gone.
  // (A caller reaping every child with waitpid(-1) takes it from us first:
  // then there is no clean exit to vouch for the verdict.)
  int status = 0;
  pid_t reaped = WaitFor(running.pid, &status, WNOHANG);
  if (reaped == 0) {
    kill(running.pid, SIGKILL);
    reaped = WaitFor(running.pid, &status, 0);
  }
  return Finish(reaped == running.pid, status);
}

void CancelPasswordCheck() {
  if (running.pid < 0) {
    return;
  }
  kill(running.pid, SIGKILL);
  int status = 0;
  WaitFor(running.pid, &status, 0);
  CloseFd(running.verdictFd);
  running = {};
}

} // namespace platform::detail
