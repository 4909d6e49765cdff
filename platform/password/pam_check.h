// The password check of a screen lock, as PASSWORD.CPL does it on Windows:
// PAM, in a child process of its own, so that a crashing or hanging module
// cannot take the lock down (nor open it), and PAM's delay after a wrong
// password runs there while the caller goes on drawing.
//
// One check at a time, from one thread. Start it, poll its descriptor, take
// its outcome. Only kAccepted opens anything: every failure on the way
// (PAM's, the child's, a signal's) reads as not accepted.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <span>
#include <string_view>

namespace platform::detail {

// The PAM service the check runs as (/etc/pam.d/gushmire).
inline constexpr char kPamService[] = "gushmire";
// Longer passwords are refused unchecked: no PAM module takes one anywhere
// near this long, and the bound keeps the write into the pipe bounded.
inline constexpr std::size_t kMaxPasswordBytes = 16 * 1024;
// Longer than any user name (LOGIN_NAME_MAX is 256).
inline constexpr std::size_t kMaxUserBytes = 256;

enum class CheckStart {
  kStarted,
  kBusy,        // a check is running already
  kBadInput,    // empty or over-long user, NUL bytes, over-long password
  kSystemError, // no pipe, no process
};

enum class CheckOutcome {
  kNone,     // no check was started, or its outcome has been taken
  kRunning,  // the child has not ended yet
  kAccepted, // PAM accepted the password and the account
  kRefused,  // PAM turned them down
  kFailed,   // PAM failed, or the child crashed, was killed, or spoke wrongly
};

// Starts checking `password` for `user`. The password stays the caller's:
// it is written to the child's pipe straight from `password`, and the child
// wipes what it holds of it. Never blocks beyond that one write.
CheckStart StartPasswordCheck(std::string_view user,
                              std::span<const char> password);

// Readable (data or hang-up) once the running check has ended; -1 when no
// check runs. Poll it, then take the outcome.
int PasswordCheckDescriptor();

// kRunning until the child has ended; then its outcome, once, after which
// the check is over (the child reaped, the descriptor closed). Waits only
// to reap a child that has closed its end (killed first if it lingers).
CheckOutcome TakePasswordCheckOutcome();

// Kills and reaps a running check (a no-op when none runs).
void CancelPasswordCheck();

// The running check's process, or -1: for tests and diagnostics.
pid_t PasswordCheckProcess();

} // namespace platform::detail
