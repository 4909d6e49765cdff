// The one interface between the generic window layer (window tree, classes,
// queues, timers, update regions, focus, DefWindowProcA, GDI drawing) and
// what a display system supplies. Each backend lives in a folder of its own
// (headless/ now; x11/ next) and implements only this; engine and host code
// never see it.
//
// Window handles: every handle the layer hands out is an object-table id,
// and those ids all have bit 30 set (they start at 0x40010000, see
// objects.cpp). X window ids never have it (X resource ids fit in 29 bits),
// so a handle without that bit is taken as a foreign window of another
// process, such as the preview parent whose decimal X id arrives on the
// command line, and only the backend can say whether it exists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "display.h"
#include "winapi.h"

namespace platform::detail {

class Backend {
public:
  virtual ~Backend() = default;

  // --- Screen --------------------------------------------------------------
  // Size, bits per pixel and the 32-bit framebuffer that window DCs draw
  // into. Valid until the backend replaces its screen.
  virtual Display &Screen() = 0;
  // Drawing changed `area` (screen coordinates, already clipped to the
  // screen): a backend that mirrors the framebuffer pushes just that part.
  virtual void Present(const RECT &area) = 0;

  // --- Our native windows --------------------------------------------------
  // `parent` is 0 for a top-level popup, else our window or a foreign one;
  // `area` is relative to the parent's client area (screen for top level).
  virtual void CreateNative(uintptr_t window, uintptr_t parent,
                            const RECT &area, bool topmost) = 0;
  virtual void ShowNative(uintptr_t window, bool shown) = 0;
  virtual void RaiseNative(uintptr_t window) = 0;
  virtual void DestroyNative(uintptr_t window) = 0;
  // A dialog box, before it is first shown: a window-managed top level of
  // fixed size whose close button sends it WM_CLOSE, kept above
  // `transientFor` (a foreign window; 0 for none).
  virtual void ManageDialog(uintptr_t /*window*/, uintptr_t /*transientFor*/) {}

  // --- Foreign windows (other processes), by id ---------------------------
  virtual bool ForeignExists(uintptr_t id) = 0;
  // The client size; false when the window is gone.
  virtual bool ForeignClientSize(uintptr_t id, int *width, int *height) = 0;
  // A top-level window of another process with this class and title (null
  // matches any); 0 when there is none.
  virtual uintptr_t FindForeign(const char *className, const char *title) = 0;
  virtual bool ActivateForeign(uintptr_t id) = 0;
  // The window the desktop says is active, when it is not one of ours; 0
  // when it cannot tell.
  virtual uintptr_t ForeignForeground() { return 0; }
  // When a foreign window dies the backend calls ForeignWindowGone(id)
  // (below) from within Wait or Poll.

  // --- Clock and waiting ---------------------------------------------------
  // Milliseconds on a clock that never goes back; timers run on it.
  virtual uint64_t Now() = 0;
  // What GetTickCount reports: Now() plus an offset, wrapping at 2^32.
  virtual DWORD TickCount() = 0;
  // Delivers input that is already there (through the Queue* calls below)
  // without waiting.
  virtual void Poll() = 0;
  // Waits until Now() reaches `deadline` or until input may have been
  // delivered, whichever is first; no deadline waits for input only. The
  // caller checks its queue again afterwards. A backend on which nothing
  // can ever arrive must not return without progress: the headless one
  // calls the idle handler or aborts.
  virtual void Wait(std::optional<uint64_t> deadline) = 0;

  // --- Cursor --------------------------------------------------------------
  virtual POINT CursorPosition() = 0;
  virtual void ShowCursor(bool shown) = 0;

  // --- Screen-saver running state ------------------------------------------
  // On: the X11 backend grabs keyboard and pointer; off releases them.
  virtual void SetScreenSaverRunning(bool running) = 0;
  virtual bool ScreenSaverRunning() = 0;

  // --- 8-bit screens -------------------------------------------------------
  // RealizePalette at 8 bits changed the system palette (0x00RRGGBB, up to
  // 256 colours): a backend with a hardware colormap loads it.
  virtual void SystemPaletteChanged(const std::vector<uint32_t> &) {}

  // Back to the start for ResetWindowing: clock at 0, cursor at (0, 0) and
  // shown, running state off, no input or scripted events pending.
  virtual void Reset() = 0;
};

// The backend in use (the headless display unless another is chosen).
Backend &TheBackend();
// Makes `backend` the one in use from now on (the native program's start).
void UseBackend(Backend *backend);

// --- Called by backends, implemented by the generic layer ------------------
// Hardware input, queued for the window it goes to. Cursor moves come after
// the backend has moved its cursor to (x, y), screen coordinates.
void QueueKey(UINT virtualKey, bool down);
void QueueButton(UINT button, bool down);
void QueueCursorMove(int x, int y);
// A foreign window went away: our windows inside it are destroyed.
void ForeignWindowGone(uintptr_t id);

} // namespace platform::detail
