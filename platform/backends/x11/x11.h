// The X11 backend: our windows become X windows on a real display. The
// generic layer keeps drawing into one screen-sized framebuffer; this backend
// copies the parts that changed into the X windows that show them, turns X
// input into the layer's hardware input, and answers for windows of other
// processes by their X ids. No X header is seen outside this folder.
//
// The class is spread over files named for their jobs:
//   connection.cpp   opening the display, X errors, the entry points
//   colours.cpp      the visual's pixels and colours, colormaps at 8 bits
//   pixels.cpp       packing pixels into X images (no connection needed)
//   framebuffer.cpp  the strip image (MIT-SHM or not), presenting, and the
//                    desktop picture under a new window
//   windows.cpp      our X windows
//   foreign.cpp      windows of other processes
//   events.cpp       waiting, X events, the stop signals' pipe
//   grabs.cpp        the running state's grabs and the cursor
//   keys.cpp         key symbols to virtual keys
//   monitors.cpp     the monitors, for the process that runs one saver each
//
// A saver run for one monitor sees that monitor as its whole screen, its
// corner at (0, 0): what it shows and reads on the root, and the pointer,
// are moved by the monitor's place (`offset`).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/backend.h"
// After our headers: Xlib's macros (DisplayWidth, None...) would clash.
#include "backends/x11/pixels.h"
#include <X11/extensions/XShm.h>

namespace platform::detail::x11 {

// The last X error of a request since Trap() (0: none).
extern int lastXError;

// The top-level windows of a saver run for one monitor carry this property,
// holding the pid of the process that started the savers of all monitors:
// they are not taken for another saver already running, and a second start
// raises them.
constexpr const char *kScreensProperty = "_GUSHMIRE_SCREENS";

// One of our windows that has an X window of its own.
struct Peer {
  Window id = 0;
  uintptr_t foreignParent = 0; // the foreign window it sits in, if any
  RECT area{};                 // in the parent; also where it is drawn
  std::string className;
  bool mapped = false;
};

class X11 final : public Backend {
public:
  // `monitor`: null for the whole screen, else the part of the root shown.
  bool Open(const char *name, const RECT *monitor);
  uintptr_t Root() const { return root; }

  Framebuffer &Buffer() override { return framebuffer; }
  void Present(const RECT &area) override;

  void CreatePeer(uintptr_t window, const PeerWindow &how) override;
  void ShowPeer(uintptr_t window, const char *title) override;
  void HidePeer(uintptr_t window) override;
  void RaisePeer(uintptr_t window) override;
  void DestroyPeer(uintptr_t window) override;
  void ManageDialog(uintptr_t window, uintptr_t transientFor) override;

  bool ForeignExists(uintptr_t id) override;
  bool ForeignClientSize(uintptr_t id, int *width, int *height) override;
  uintptr_t FindForeign(const char *className, const char *title) override;
  bool ActivateForeign(uintptr_t id) override;
  uintptr_t ForeignForeground() override;

  uint64_t Now() override { return MonotonicMs() - start; }
  DWORD TickCount() override { return static_cast<DWORD>(MonotonicMs()); }
  void Poll() override;
  void Wait(std::optional<uint64_t> deadline) override;
  bool EndPreviewsOnSignals() override;

  POINT CursorPosition() override;
  void ShowCursor(bool shown) override;
  void SetScreenSaverRunning(bool running) override;
  void SystemPaletteChanged(const std::vector<uint32_t> &palette) override;

private:
  // Starts trapping X errors of the requests that follow.
  void Trap() {
    XSync(x, False);
    lastXError = 0;
  }
  // True when the requests since Trap() all went through.
  bool Untrap() {
    XSync(x, False);
    return lastXError == 0;
  }
  // A FindForeign that found nothing keeps the server grabbed until this
  // process has shown a top-level window of its own or waits: two saver
  // starts that look for each other and then each make a window cannot
  // both miss.
  void ReleaseServer();

  // colours.cpp
  void ReadVisual();
  void BuildColourLookup();
  uint32_t PixelOf(uint32_t rgb) const;
  uint32_t RgbOf(unsigned long pixel) const;
  // framebuffer.cpp
  void SetupImages();
  void PresentTo(const Peer &peer, const RECT &area);
  XID IdProperty(Window from, const char *name, Atom type);
  Drawable Screenshot(Window from, const RECT &part, int *dx, int *dy);
  void GrabPicture(Window from, const RECT &area);
  // windows.cpp, foreign.cpp
  const Peer *PeerById(Window id, uintptr_t *window) const;
  bool Viewable(Window id);
  // events.cpp
  void Handle(XEvent &event);
  void EndPreviewsIfStopped();
  // grabs.cpp: tries for whatever grab is not held yet.
  void Grab();

  ::Display *x = nullptr;
  int screenNumber = 0;
  Window root = 0;
  Visual *visual = nullptr;
  int depth = 0;
  bool serverHeld = false;
  POINT offset{0, 0}; // the monitor's corner on the root
  long group = 0;     // kScreensProperty's value; 0 for the whole screen

  // The visual's colours (colours.cpp).
  bool pseudoColour = false;
  bool plainRgb = false; // pixels are our 0x00RRGGBB values as they are
  Channel red, green, blue;
  Colormap colormap = 0;               // what our windows show through
  Colormap ownColormap = 0;            // made from a realized palette at 8 bits
  std::array<uint32_t, 256> colours{}; // the colormap at 8 bits, 0x00RRGGBB
  std::vector<uint8_t> nearest;        // 15-bit colour to colormap index

  GC gc = nullptr;
  Cursor blank = 0;
  bool cursorHidden = false;
  bool running = false;
  bool keyboardHeld = false;
  bool pointerHeld = false;
  uint64_t nextGrab = 0; // when a saver without the grabs tries again
  POINT lastCursor{0, 0};

  // One strip of the screen's width, reused for every copy in or out.
  XImage *strip = nullptr;
  int stripRows = 0;
  bool shared = false;
  bool sharedBusy = false; // the server may still read the segment
  XShmSegmentInfo segment{};

  Framebuffer framebuffer;
  std::map<uintptr_t, Peer> peers;
  std::vector<uintptr_t> parentsGone; // foreign parents found dead on creation
  uint64_t start = MonotonicMs();
};

} // namespace platform::detail::x11
