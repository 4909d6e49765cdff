// The thread's message queue and its timers, shared by the queue, timer and
// input code.
#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "core/objects.h"

namespace platform::detail {

struct TimerObject : Object {
  static constexpr Kind kKind = Kind::Timer;
  TimerObject() : Object(kKind) {}
  uintptr_t window = 0; // 0: a thread timer
  UINT_PTR id = 0;
  uint64_t period = 0;
  uint64_t due = 0; // on the backend's clock
  TIMERPROC procedure = nullptr;
};

struct Queue {
  std::deque<MSG> posted;
  std::deque<MSG> input;
  bool quit = false;
  WPARAM quitCode = 0;
  std::vector<uintptr_t> timers; // in the order they were set
  UINT_PTR nextThreadTimer = 1;
};
Queue &TheQueue();

// Which messages a GetMessageA or PeekMessageA call takes.
struct Filter {
  uintptr_t window = 0;    // 0: any
  bool threadOnly = false; // hwnd -1: only messages without a window
  UINT first = 0;
  UINT last = 0;
  bool Window(uintptr_t target) const;
  bool Message(UINT message) const;
};

// The earliest due time of a timer the filter lets through.
std::optional<uint64_t> NextTimerDue(const Filter &filter);
// Takes the due timer message the filter lets through, if any; removing it
// starts the timer's next period.
bool TakeTimerMessage(const Filter &filter, bool remove, MSG *message);
// The timer that a WM_TIMER message with this procedure belongs to.
TimerObject *FindTimer(uintptr_t window, UINT_PTR id);
// A message as the queue stamps it: time and cursor position now.
MSG Stamped(uintptr_t window, UINT message, WPARAM wParam, LPARAM lParam);

// Input helpers (input.cpp).
// The character a key gives with the current shift state, or -1.
int CharacterOf(UINT virtualKey);
// Sends WM_SETCURSOR before a mouse message is taken.
void BeforeMouseMessage(const MSG &message);

} // namespace platform::detail
