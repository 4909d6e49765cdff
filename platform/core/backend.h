// The one interface between the generic window layer (window tree, classes,
// queues, timers, update regions, focus, DefWindowProcA, GDI drawing) and
// what a display system supplies. Each backend lives in a folder of its own
// under backends/ and includes only this header from the layer: what it
// needs to know about a window (class, title, place, size) comes through the
// calls. Engine and host code never see it.
//
// A backend must give a framebuffer, a clock, waiting and the cursor position;
// every other call does nothing by default, which is right for a display
// that has no such thing (no windows of its own, no other processes, no
// grabs, no hardware colormap).
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

#include "core/framebuffer.h"
#include "core/rect.h"
#include "core/wait.h"
#include "winapi.h"

namespace platform::detail {

// A window of ours that needs one of the display's own: a top-level window,
// or a child of a foreign window. Children of our windows are drawn by the
// layer inside their parent's and never reach the backend.
struct PeerWindow {
  uintptr_t parent = 0; // 0 for top level, else the foreign parent
  // Where it sits in its parent's client area (on the screen for top
  // level). The framebuffer holds its picture at the same coordinates.
  RECT area{};
  bool topmost = false;
  const char *className = ""; // valid for the call only
};

class Backend {
public:
  virtual ~Backend() = default;

  // --- Framebuffer ---------------------------------------------------------
  // Size, bits per pixel and the 32-bit pixels that window DCs draw into.
  // Valid until the backend replaces its framebuffer.
  virtual Framebuffer &Buffer() = 0;
  // Drawing changed `area` (framebuffer coordinates, already clipped to it:
  // screen coordinates less the origin): a backend that mirrors the
  // framebuffer pushes just that part.
  virtual void Present(const RECT & /*area*/) {}

  // --- Our windows' peers (the display system's own windows), by handle --
  // Windows never move or change size after creation.
  virtual void CreatePeer(uintptr_t /*window*/, const PeerWindow &) {}
  // Shown with the title it has now (others find it by class and title).
  virtual void ShowPeer(uintptr_t /*window*/, const char * /*title*/) {}
  virtual void HidePeer(uintptr_t /*window*/) {}
  virtual void RaisePeer(uintptr_t /*window*/) {}
  // Any handle may come here; one without a peer is ignored.
  virtual void DestroyPeer(uintptr_t /*window*/) {}
  // A dialog box, before it is first shown: a window-managed top level of
  // fixed size whose close button sends it WM_CLOSE (see QueueClose), kept
  // above `transientFor` (a foreign window; 0 for none).
  virtual void ManageDialog(uintptr_t /*window*/, uintptr_t /*transientFor*/) {}

  // --- Foreign windows (other processes), by id ---------------------------
  virtual bool ForeignExists(uintptr_t /*id*/) { return false; }
  // The client size; false when the window is gone.
  virtual bool ForeignClientSize(uintptr_t /*id*/, int * /*width*/,
                                 int * /*height*/) {
    return false;
  }
  // A top-level window of another process with this class and title (null
  // matches any); 0 when there is none.
  virtual uintptr_t FindForeign(const char * /*className*/,
                                const char * /*title*/) {
    return 0;
  }
  virtual bool ActivateForeign(uintptr_t /*id*/) { return false; }
  // The window the desktop says is active, when it is not one of ours; 0
  // when it cannot tell.
  virtual uintptr_t ForeignForeground() { return 0; }
  // When a foreign window dies the backend calls ForeignWindowGone(id)
  // (below) from within Wait or Poll.

  // --- Clock and waiting ---------------------------------------------------
  // Milliseconds on a clock that never goes back; timers run on it.
  virtual uint64_t Now() = 0;
  // What GetTickCount reports, wrapping at 2^32.
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
  // From now on SIGTERM and SIGINT end every preview as the destruction of
  // its parent would, from within Wait or Poll. False when it cannot.
  virtual bool EndPreviewsOnSignals() { return false; }

  // --- Cursor --------------------------------------------------------------
  virtual POINT CursorPosition() = 0;
  // SetCursor: a null cursor hides the pointer over our windows.
  virtual void ShowCursor(bool /*shown*/) {}

  // --- Screen-saver running state ------------------------------------------
  // The layer keeps the state; a backend whose display lets one program
  // hold all input (X11: keyboard and pointer grabs) takes it while on.
  virtual void SetScreenSaverRunning(bool /*running*/) {}

  // --- 8-bit displays ------------------------------------------------------
  // RealizePalette at 8 bits changed the system palette (0x00RRGGBB, up to
  // 256 colours): a backend with a hardware colormap loads it.
  virtual void SystemPaletteChanged(const std::vector<uint32_t> &) {}

  // ResetWindowing, after the layer has forgotten every window, shown the
  // cursor and switched the running state off: a backend that plays a
  // scripted run goes back to its start (the headless one: clock at 0,
  // cursor at (0, 0), no scripted events, no idle handler).
  virtual void Reset() {}
};

// The backend in use (the headless display unless another is chosen).
Backend &TheBackend();
// Makes `backend` the one in use from now on (the native program's start).
void UseBackend(Backend *backend);
// The headless backend, the default (backends/headless/headless.cpp).
Backend &HeadlessBackend();

// --- Called by backends, implemented by the generic layer ------------------
// Hardware input, queued for the window it goes to. Cursor moves come after
// the backend has moved its cursor to (x, y), screen coordinates.
void QueueKey(UINT virtualKey, bool down);
void QueueButton(UINT button, bool down);
// The same where the backend's cursor position is not where the pointer is
// (a Wayland pointer first told of late): the button goes to what is at `at`.
void QueueButtonAt(UINT button, bool down, POINT at);
void QueueCursorMove(int x, int y);
// Text typed through the display's keymap: WM_CHAR with the Unicode code
// point in wParam, to the focus window. A backend that reads keys through a
// keymap queues it right after the key's QueueKey; TranslateMessage's own
// characters (a US layout's) are for the saver, not the password prompt.
void QueueCharacter(uint32_t codePoint);
// WM_CHAR's lParam when QueueCharacter queued it: a repeat count of 1 and
// bit 24, which no key the layer queues sets, so the prompt can tell text
// typed through the keymap from TranslateMessage's.
constexpr LPARAM kTypedCharacter = 0x01000001;
// The verdict of a password check started through the PasswordCheck of
// layer.h came: the prompt's loop looks at it (password/).
void VerdictArrived();
// The desktop asked to close our window (a window manager's close button).
void QueueClose(uintptr_t window);
// A foreign window went away: our windows inside it are destroyed.
void ForeignWindowGone(uintptr_t id);
// The framebuffer was replaced or changed depth: the system palette goes back
// to the 20 static colours, as a newly opened display has them.
void ResetSystemPalette();

} // namespace platform::detail
