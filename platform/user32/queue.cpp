// The message queue of the one thread. Taken in Wine's order: posted
// messages, the quit message, input, then WM_PAINT and WM_TIMER, which are
// made up only when nothing else is there. Sent messages call the window
// procedure directly.
#include "user32/queue.h"

#include "core/backend.h"
#include "user32/window.h"

namespace platform::detail {

Queue &TheQueue() {
  static Queue instance;
  return instance;
}

bool Filter::Window(uintptr_t target) const {
  if (threadOnly) {
    return target == 0;
  }
  if (window == 0 || target == window) {
    return true;
  }
  // A window's filter takes its children's messages too.
  for (int depth = 0; depth < 256; ++depth) {
    const WindowObject *w = FindWindowObject(target);
    if (w == nullptr || (w->style & WS_CHILD) == 0) {
      return false;
    }
    target = w->parent;
    if (target == window) {
      return true;
    }
  }
  return false;
}

bool Filter::Message(UINT message) const {
  // 0, 0 takes everything; so does a reversed range, as in Wine.
  if ((first == 0 && last == 0) || first > last) {
    return true;
  }
  return message >= first && message <= last;
}

MSG Stamped(uintptr_t window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = ToHandle<HWND>(window);
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = TheBackend().TickCount();
  msg.pt = TheBackend().CursorPosition();
  return msg;
}

void ForgetWindowMessages(uintptr_t window) {
  Queue &q = TheQueue();
  const auto forWindow = [window](const MSG &m) {
    return HandleValue(m.hwnd) == window;
  };
  std::erase_if(q.posted, forWindow);
  std::erase_if(q.input, forWindow);
  for (uintptr_t timer : std::vector<uintptr_t>(q.timers)) {
    const TimerObject *t = Find<TimerObject>(ToHandle<HANDLE>(timer));
    if (t != nullptr && t->window == window) {
      RemoveObject(timer);
      std::erase(q.timers, timer);
    }
  }
}

void ForgetAllMessages() {
  Queue &q = TheQueue();
  for (uintptr_t timer : q.timers) {
    RemoveObject(timer);
  }
  q = Queue{};
}

} // namespace platform::detail

using namespace platform::detail;

namespace {

bool TakeFrom(std::deque<MSG> &list, const Filter &filter, bool remove,
              MSG *message) {
  for (auto at = list.begin(); at != list.end(); ++at) {
    if (filter.Window(HandleValue(at->hwnd)) && filter.Message(at->message)) {
      *message = *at;
      if (remove) {
        list.erase(at);
      }
      return true;
    }
  }
  return false;
}

bool IsMouseMessage(UINT message) {
  return message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP;
}

bool TakePaint(const Filter &filter, MSG *message) {
  if (!filter.Message(WM_PAINT)) {
    return false;
  }
  for (uintptr_t window : AllWindows()) {
    const WindowObject *w = FindWindowObject(window);
    if (!w->update.rects.empty() && ReallyVisible(*w) &&
        filter.Window(window)) {
      *message = Stamped(window, WM_PAINT, 0, 0);
      return true;
    }
  }
  return false;
}

bool Take(const Filter &filter, bool remove, MSG *message) {
  Queue &q = TheQueue();
  if (TakeFrom(q.posted, filter, remove, message)) {
    return true;
  }
  if (q.quit && !filter.threadOnly && filter.Message(WM_QUIT)) {
    *message = Stamped(0, WM_QUIT, q.quitCode, 0);
    if (remove) {
      q.quit = false;
    }
    return true;
  }
  // Input whose window died in the meantime is dropped as it comes up.
  while (TakeFrom(q.input, filter, remove, message)) {
    if (!remove || !IsMouseMessage(message->message)) {
      return true;
    }
    BeforeMouseMessage(*message);
    if (FindWindowObject(HandleValue(message->hwnd)) != nullptr) {
      return true;
    }
  }
  return TakePaint(filter, message) ||
         TakeTimerMessage(filter, remove, message);
}

// Builds the filter of a GetMessageA or PeekMessageA call; false for a
// window that is not ours.
bool MakeFilter(HWND window, UINT first, UINT last, Filter *filter) {
  const uintptr_t value = HandleValue(window);
  filter->first = first;
  filter->last = last;
  if (value == static_cast<uintptr_t>(-1)) {
    filter->threadOnly = true;
    return true;
  }
  filter->window = value;
  return value == 0 || FindWindowObject(value) != nullptr;
}

} // namespace

BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT first, UINT last) {
  Filter filter;
  if (message == nullptr || !MakeFilter(window, first, last, &filter)) {
    return -1;
  }
  for (;;) {
    TheBackend().Poll();
    if (Take(filter, true, message)) {
      return message->message == WM_QUIT ? FALSE : TRUE;
    }
    TheBackend().Wait(NextTimerDue(filter));
  }
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT first, UINT last,
                         UINT remove) {
  Filter filter;
  if (message == nullptr || !MakeFilter(window, first, last, &filter)) {
    return FALSE;
  }
  TheBackend().Poll();
  return Take(filter, (remove & PM_REMOVE) != 0, message) ? TRUE : FALSE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam,
                            LPARAM lParam) {
  return SendToWindow(HandleValue(window), message, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam,
                         LPARAM lParam) {
  const uintptr_t value = HandleValue(window);
  if (value != 0 && FindWindowObject(value) == nullptr) {
    return FALSE;
  }
  TheQueue().posted.push_back(Stamped(value, message, wParam, lParam));
  return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
  Queue &q = TheQueue();
  q.quit = true;
  q.quitCode = static_cast<WPARAM>(exitCode);
}

BOOL WINAPI TranslateMessage(const MSG *message) {
  if (message == nullptr) {
    return FALSE;
  }
  const UINT m = message->message;
  if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_KEYUP &&
      m != WM_SYSKEYUP) {
    return FALSE;
  }
  const int character = m == WM_KEYDOWN || m == WM_SYSKEYDOWN
                            ? CharacterOf(static_cast<UINT>(message->wParam))
                            : -1;
  if (character >= 0) {
    TheQueue().posted.push_back(Stamped(
        HandleValue(message->hwnd), m == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR,
        static_cast<WPARAM>(character), message->lParam));
  }
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG *message) {
  if (message == nullptr) {
    return 0;
  }
  if (message->message == WM_TIMER && message->lParam != 0) {
    // Only the procedure of a live timer is called; anything else in lParam
    // could be any number.
    const TimerObject *t = FindTimer(HandleValue(message->hwnd),
                                     static_cast<UINT_PTR>(message->wParam));
    if (t != nullptr &&
        reinterpret_cast<LPARAM>(t->procedure) == message->lParam) {
      t->procedure(message->hwnd, WM_TIMER, message->wParam,
                   TheBackend().TickCount());
    }
    return 0;
  }
  return SendToWindow(HandleValue(message->hwnd), message->message,
                      message->wParam, message->lParam);
}
