// The password check end to end, in its own process, against pam_matrix
// under pam_wrapper: never a real account, never the system's PAM setup.
#include "password/pam_check.h"

#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

using namespace platform::detail;
using std::chrono::steady_clock;

// Printable bytes, none of them pam_matrix's ':' separator, as many as its
// passdb lines hold (it crashes on a line of some 10 KiB).
std::string LongPassword(std::size_t size = 1000) {
  std::string password;
  for (int i = 0; password.size() < size; ++i) {
    password += static_cast<char>('!' + i % 25);
  }
  return password;
}
const std::string kNonAscii = "p\xC3\xA4sswo\xCC\x88rd\xE2\x82\xAC\xFF\x80\x01";

auto OpenDescriptors() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                       std::filesystem::directory_iterator{});
}

// True when this process has no child at all, zombie or living.
bool NoChildren() {
  return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

class PamCheck : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    char dir[] = "/tmp/gushmire-passdb-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    passdb = std::string(dir) + "/passdb";
    std::ofstream(passdb, std::ios::binary)
        << "alice:correct horse:gushmire\n"
        << "bob:hunter2:gushmire\n"
        << "eve:right:elsewhere\n" // known, but not to this service
        << "z\xC3\xB6\xC3\xAB:" << kNonAscii << ":gushmire\n"
        << "long:" << LongPassword() << ":gushmire\n"
        << "slow:slow:gushmire\n";
    setenv("PAM_MATRIX_PASSWD", passdb.c_str(), 1);
  }
  static void TearDownTestSuite() {
    std::remove(passdb.c_str());
    rmdir(passdb.substr(0, passdb.rfind('/')).c_str());
  }
  void TearDown() override { CancelPasswordCheck(); }

  static CheckStart Start(std::string_view user, std::string_view password) {
    return StartPasswordCheck(user, {password.data(), password.size()});
  }
  // Waits on the descriptor, as a caller's loop would.
  static CheckOutcome Await(int timeoutMs = 10000) {
    const auto deadline =
        steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const CheckOutcome outcome = TakePasswordCheckOutcome();
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - steady_clock::now())
                            .count();
      if (outcome != CheckOutcome::kRunning || left <= 0) {
        return outcome;
      }
      pollfd fd{PasswordCheckDescriptor(), POLLIN, 0};
      poll(&fd, 1, static_cast<int>(left));
    }
  }
  static CheckOutcome Check(std::string_view user, std::string_view password) {
    const CheckStart start = Start(user, password);
    EXPECT_EQ(start, CheckStart::kStarted);
    return start == CheckStart::kStarted ? Await() : CheckOutcome::kNone;
  }
  // Starts user "slow", whose check PAM holds for 20 s: still running a
  // moment later, so what a test does to it comes mid-check.
  static pid_t StartSlow() {
    EXPECT_EQ(Start("slow", "slow"), CheckStart::kStarted);
    usleep(100 * 1000);
    EXPECT_EQ(TakePasswordCheckOutcome(), CheckOutcome::kRunning);
    return PasswordCheckProcess();
  }

  static std::string passdb;
};
std::string PamCheck::passdb;

TEST_F(PamCheck, OnlyTheRightPasswordOfAKnownAccountIsAccepted) {
  EXPECT_EQ(Check("alice", "correct horse"), CheckOutcome::kAccepted);
  EXPECT_EQ(Check("bob", "hunter2"), CheckOutcome::kAccepted);
  EXPECT_EQ(Check("alice", "hunter2"), CheckOutcome::kRefused);
  EXPECT_EQ(Check("alice", "correct hors"), CheckOutcome::kRefused);
  EXPECT_EQ(Check("alice", "correct horse "), CheckOutcome::kRefused);
  EXPECT_EQ(Check("alice", "Correct horse"), CheckOutcome::kRefused);
  EXPECT_EQ(Check("alice", ""), CheckOutcome::kRefused);
  EXPECT_EQ(Check("mallory", "correct horse"), CheckOutcome::kRefused);
  // The password is right, but the account is not for this service: the
  // account check runs, not just the password's.
  EXPECT_EQ(Check("eve", "right"), CheckOutcome::kRefused);
}

TEST_F(PamCheck, PasswordsOfAnyBytesAndLengthArriveWhole) {
  EXPECT_EQ(Check("z\xC3\xB6\xC3\xAB", kNonAscii), CheckOutcome::kAccepted);
  std::string changed = kNonAscii;
  changed.back() = '\x02';
  EXPECT_EQ(Check("z\xC3\xB6\xC3\xAB", changed), CheckOutcome::kRefused);

  const std::string long_ = LongPassword();
  EXPECT_EQ(Check("long", long_), CheckOutcome::kAccepted);
  EXPECT_EQ(Check("long", long_.substr(0, long_.size() - 1)),
            CheckOutcome::kRefused);
  EXPECT_EQ(Check("long", long_ + "!"), CheckOutcome::kRefused);
  EXPECT_EQ(Check("alice", LongPassword(10 * 1024)), CheckOutcome::kRefused);
  EXPECT_EQ(Check("alice", std::string(kMaxPasswordBytes, 'x')),
            CheckOutcome::kRefused);
}

TEST_F(PamCheck, InputPamCannotTakeWholeStartsNothing) {
  const std::string nulInside("correct horse\0tail", 18);
  EXPECT_EQ(Start("alice", nulInside), CheckStart::kBadInput);
  EXPECT_EQ(Start(std::string_view("alice\0x", 7), "correct horse"),
            CheckStart::kBadInput);
  EXPECT_EQ(Start("", "correct horse"), CheckStart::kBadInput);
  EXPECT_EQ(Start(std::string(kMaxUserBytes + 1, 'a'), "x"),
            CheckStart::kBadInput);
  EXPECT_EQ(Start("alice", std::string(kMaxPasswordBytes + 1, 'x')),
            CheckStart::kBadInput);
  EXPECT_EQ(PasswordCheckProcess(), -1);
  EXPECT_EQ(PasswordCheckDescriptor(), -1);
  EXPECT_EQ(TakePasswordCheckOutcome(), CheckOutcome::kNone);
  EXPECT_TRUE(NoChildren());
}

TEST_F(PamCheck, OneCheckAtATime) {
  const pid_t slow = StartSlow();
  ASSERT_GT(slow, 0);
  EXPECT_EQ(Start("alice", "correct horse"), CheckStart::kBusy);
  EXPECT_EQ(PasswordCheckProcess(), slow) << "the running one is kept";
  EXPECT_EQ(TakePasswordCheckOutcome(), CheckOutcome::kRunning);
  CancelPasswordCheck();
  EXPECT_TRUE(NoChildren());
  EXPECT_EQ(Check("alice", "correct horse"), CheckOutcome::kAccepted);
  EXPECT_EQ(TakePasswordCheckOutcome(), CheckOutcome::kNone) << "taken once";
}

TEST_F(PamCheck, AChildEndedBySignalIsNotAcceptedAndNotWaitedFor) {
  for (const int signal : {SIGKILL, SIGTERM, SIGABRT}) {
    const pid_t slow = StartSlow();
    ASSERT_GT(slow, 0);
    const auto before = steady_clock::now();
    kill(slow, signal);
    EXPECT_EQ(Await(5000), CheckOutcome::kFailed) << strsignal(signal);
    EXPECT_LT(steady_clock::now() - before, std::chrono::seconds(5));
    EXPECT_TRUE(NoChildren());
  }
}

volatile std::sig_atomic_t callerCaught = 0;
void CallerHandler(int) { callerCaught = 1; }

// A caller that catches SIGTERM, or blocks it, hands neither to the child:
// a SIGTERM still ends the check, at once.
TEST_F(PamCheck, TheCallersSignalHandlingStaysTheCallers) {
  struct sigaction catching {};
  catching.sa_handler = CallerHandler;
  sigemptyset(&catching.sa_mask);
  struct sigaction previous {};
  ASSERT_EQ(sigaction(SIGTERM, &catching, &previous), 0);
  sigset_t terms;
  sigemptyset(&terms);
  sigaddset(&terms, SIGTERM);
  sigaddset(&terms, SIGINT);
  for (const bool blocked : {false, true}) {
    if (blocked) {
      sigprocmask(SIG_BLOCK, &terms, nullptr);
    }
    for (const int signal : {SIGTERM, SIGINT}) {
      const pid_t slow = StartSlow();
      ASSERT_GT(slow, 0);
      kill(slow, signal);
      EXPECT_EQ(Await(5000), CheckOutcome::kFailed)
          << strsignal(signal) << (blocked ? ", blocked" : ", caught");
    }
  }
  sigprocmask(SIG_UNBLOCK, &terms, nullptr);
  sigaction(SIGTERM, &previous, nullptr);
  EXPECT_EQ(callerCaught, 0);
}

// The check dies with the process that started it. A process of the test's
// own starts it and is killed; this one adopts the orphan and sees it end.
TEST_F(PamCheck, TheChildDiesWithItsParent) {
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t starter = fork();
  ASSERT_GE(starter, 0);
  if (starter == 0) {
    close(report[0]);
    // Reported once mid-check, past the child's own start.
    pid_t child = -1;
    if (Start("slow", "slow") == CheckStart::kStarted) {
      usleep(100 * 1000);
      if (TakePasswordCheckOutcome() == CheckOutcome::kRunning) {
        child = PasswordCheckProcess();
      }
    }
    const ssize_t written = write(report[1], &child, sizeof child);
    static_cast<void>(written);
    pause();
    _exit(0);
  }
  close(report[1]);
  pid_t child = -1;
  ASSERT_EQ(read(report[0], &child, sizeof child),
            static_cast<ssize_t>(sizeof child));
  close(report[0]);
  ASSERT_GT(child, 0);
  kill(starter, SIGKILL);
  waitpid(starter, nullptr, 0);
  int status = 0;
  pid_t reaped = 0;
  const auto deadline = steady_clock::now() + std::chrono::seconds(5);
  while ((reaped = waitpid(child, &status, WNOHANG)) == 0 &&
         steady_clock::now() < deadline) {
    usleep(10000);
  }
  if (reaped == 0) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  EXPECT_EQ(reaped, child) << "outlived the process that started it";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
  // Its PAM hook exits once it is gone; adopted too, reaped here.
  while (waitpid(-1, nullptr, 0) > 0) {
  }
  prctl(PR_SET_CHILD_SUBREAPER, 0);
}

TEST_F(PamCheck, ManyChecksLeaveNoProcessAndNoDescriptor) {
  const auto before = OpenDescriptors();
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(Check("alice", "correct horse"), CheckOutcome::kAccepted);
    EXPECT_EQ(Check("alice", "wrong"), CheckOutcome::kRefused);
    EXPECT_EQ(Start("alice", std::string(kMaxPasswordBytes + 1, 'x')),
              CheckStart::kBadInput);
    const pid_t slow = StartSlow();
    EXPECT_EQ(Start("bob", "hunter2"), CheckStart::kBusy);
    if (i % 2 == 0) {
      CancelPasswordCheck();
    } else {
      kill(slow, SIGKILL);
      EXPECT_EQ(Await(5000), CheckOutcome::kFailed);
    }
  }
  EXPECT_TRUE(NoChildren());
  EXPECT_EQ(OpenDescriptors(), before);
}

} // namespace
