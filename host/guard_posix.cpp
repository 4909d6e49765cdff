// The guard without structured exception handling: fatal signals and C++
// exceptions that escape the mode count as escaping faults.
#include "guard.h"

#include <csetjmp>
#include <csignal>
#include <cstddef>
#include <iterator>

namespace {

constexpr int guardedSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr std::size_t guardedCount = std::size(guardedSignals);

// Its own stack, so that a stack overflow can still be caught.
alignas(16) char faultStack[64 * 1024];
stack_t previousStack;
struct sigaction previousActions[guardedCount];
sigjmp_buf faultResume;

void OnFault(int) { siglongjmp(faultResume, 1); }

void InstallHandlers() {
  stack_t stack = {};
  stack.ss_sp = faultStack;
  stack.ss_size = sizeof faultStack;
  sigaltstack(&stack, &previousStack);
  struct sigaction action = {};
  action.sa_handler = OnFault;
  action.sa_flags = SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < guardedCount; ++i) {
    sigaction(guardedSignals[i], &action, &previousActions[i]);
  }
}

void RemoveHandlers() {
  for (std::size_t i = 0; i < guardedCount; ++i) {
    sigaction(guardedSignals[i], &previousActions[i], nullptr);
  }
  sigaltstack(&previousStack, nullptr);
}

} // namespace

int RunGuarded(GuardedMode mode, LPCSTR tail) {
  // The signal mask is restored too: the handler leaves the caught signal
  // blocked. The jump target is set before any handler can use it.
  if (sigsetjmp(faultResume, 1) == 0) {
    InstallHandlers();
    const int result = CallGuardedMode(mode, tail);
    RemoveHandlers();
    return result;
  }
  // Removed before the handler's own work, so that a fault in it takes the
  // platform's default course instead of coming back here.
  RemoveHandlers();
  return SetSaverRunning(0);
}
