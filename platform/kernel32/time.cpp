// GetTickCount and Sleep, on the clock of the backend in use.
#include "core/backend.h"

using namespace platform::detail;

DWORD WINAPI GetTickCount(void) { return TheBackend().TickCount(); }

void WINAPI Sleep(DWORD milliseconds) {
  Backend &backend = TheBackend();
  if (milliseconds == 0) {
    backend.Poll();
    return;
  }
  const uint64_t until = backend.Now() + milliseconds;
  while (backend.Now() < until) {
    backend.Wait(until);
  }
}
