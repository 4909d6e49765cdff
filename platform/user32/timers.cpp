// Timers: a due timer stands for one pending WM_TIMER until that message is
// taken, so a window never has more than one pending per timer however
// long nobody looked. Due times run on the backend's clock, which never
// wraps; GetTickCount's wrap does not disturb them.
#include <algorithm>

#include "core/backend.h"
#include "user32/queue.h"
#include "user32/window.h"

namespace platform::detail {
namespace {

// Win32's bounds on a timer's period (USER_TIMER_MINIMUM and _MAXIMUM).
constexpr UINT kMinimumPeriod = 10;
constexpr UINT kMaximumPeriod = 0x7FFFFFFF;

TimerObject *TimerAt(uintptr_t handle) {
  return Find<TimerObject>(ToHandle<HANDLE>(handle));
}

} // namespace

TimerObject *FindTimer(uintptr_t window, UINT_PTR id) {
  for (uintptr_t handle : TheQueue().timers) {
    TimerObject *t = TimerAt(handle);
    if (t != nullptr && t->window == window && t->id == id) {
      return t;
    }
  }
  return nullptr;
}

std::optional<uint64_t> NextTimerDue(const Filter &filter) {
  std::optional<uint64_t> next;
  if (!filter.Message(WM_TIMER)) {
    return next;
  }
  for (uintptr_t handle : TheQueue().timers) {
    const TimerObject *t = TimerAt(handle);
    if (t != nullptr && filter.Window(t->window) && (!next || t->due < *next)) {
      next = t->due;
    }
  }
  return next;
}

bool TakeTimerMessage(const Filter &filter, bool remove, MSG *message) {
  if (!filter.Message(WM_TIMER)) {
    return false;
  }
  const uint64_t now = TheBackend().Now();
  TimerObject *due = nullptr;
  for (uintptr_t handle : TheQueue().timers) {
    TimerObject *t = TimerAt(handle);
    if (t != nullptr && t->due <= now && filter.Window(t->window) &&
        (due == nullptr || t->due < due->due)) {
      due = t;
    }
  }
  if (due == nullptr) {
    return false;
  }
  *message = Stamped(due->window, WM_TIMER, due->id,
                     reinterpret_cast<LPARAM>(due->procedure));
  if (remove) {
    due->due = now + due->period;
  }
  return true;
}

} // namespace platform::detail

using namespace platform::detail;

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse,
                         TIMERPROC function) {
  const uintptr_t owner = HandleValue(window);
  if (owner != 0 && FindWindowObject(owner) == nullptr) {
    return 0;
  }
  Queue &q = TheQueue();
  if (owner == 0) {
    // A thread timer gets an id of its own; the one passed is ignored.
    id = q.nextThreadTimer++;
  }
  const uint64_t period = std::clamp(elapse, kMinimumPeriod, kMaximumPeriod);
  // Setting an existing timer again restarts it; a message it had pending
  // is gone.
  TimerObject *timer = FindTimer(owner, id);
  if (timer == nullptr) {
    auto created = std::make_unique<TimerObject>();
    timer = created.get();
    q.timers.push_back(AddObject(std::move(created)));
  }
  timer->window = owner;
  timer->id = id;
  timer->period = period;
  timer->due = TheBackend().Now() + period;
  timer->procedure = function;
  // Win32 reports a window timer's id; 0 would read as failure.
  return owner != 0 && id == 0 ? 1 : id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  const TimerObject *t = FindTimer(HandleValue(window), id);
  if (t == nullptr) {
    return FALSE;
  }
  // Its pending message, never queued, goes with it.
  for (uintptr_t handle : TheQueue().timers) {
    if (TimerAt(handle) == t) {
      std::erase(TheQueue().timers, handle);
      RemoveObject(handle);
      break;
    }
  }
  return TRUE;
}
