// Linux-only controls of our platform layer, for the native program's
// entry, tests and tools: the framebuffer as drawn, the embedded resource
// table, registry, modules, signals and waiting, and object accounting.
// Each backend has a header of its own (layer_headless.h, layer_x11.h,
// layer_wayland.h). Engine and host code never include these; they see
// only winapi.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "winapi.h"

namespace platform {

// One embedded resource. A type or name given by number has a null string
// and its number in the id field.
struct EmbeddedResource {
  const char *typeName;
  WORD typeId;
  const char *name;
  WORD nameId;
  WORD language;
  const unsigned char *data;
  DWORD size;
};

// Makes `table` the resources of the main module (GetModuleHandleA(NULL)).
// Returns the previous table so a test can put it back.
struct ResourceTable {
  const EmbeddedResource *entries;
  std::size_t count;
};
ResourceTable SetModuleResources(ResourceTable table);

// The framebuffer of the backend in use, as the layer has drawn it: the
// virtual screen's size, its pixels from its top-left corner on, which lies at
// FramebufferOrigin() in screen coordinates ((0, 0) unless a monitor lies left
// of or above the primary). FramebufferPixel takes screen coordinates; 0 off
// the screen.
int FramebufferWidth();
int FramebufferHeight();
POINT FramebufferOrigin();
const uint32_t *FramebufferPixels();
uint32_t FramebufferPixel(int x, int y);

// From now on SIGTERM and SIGINT end every preview as the destruction of its
// parent window would, so the host finishes normally. False when the
// backend in use cannot (the headless one never waits on anything).
bool EndPreviewsOnSignals();

// --- Clock and waiting, for backends and the native program ---------------
// Milliseconds on CLOCK_MONOTONIC.
uint64_t MonotonicMs();
// SIGTERM and SIGINT from now on only record the request and wake a wait
// (WaitReadable). False when it cannot.
bool CatchStopSignals();
// A child's end from now on wakes a wait too.
bool WakeOnChildExit();
// A stop signal came and was not taken yet.
bool StopRequested();
// fork(), the child tied to us: it gets SIGTERM when we end, however we
// end, and starts with SIGTERM, SIGINT, SIGCHLD and SIGPIPE at their
// defaults. 0 in the child, -1 when there is no child, as fork().
int ForkTiedChild();
// Waits until `descriptor` can be read, a signal above wakes it or
// `timeout` ms pass (-1: no limit): true when the descriptor can be read.
bool WaitReadable(int descriptor, int timeout);

// --- Display backends --------------------------------------------------------
// What a backend that a program can run on tells about itself; each
// backend's header (layer_x11.h, layer_wayland.h) exports one.
struct DisplaySystem {
  const char *name; // for --backend: "wayland", "x11"
  // The environment variables that name its display (the second may be
  // null); the first is the one messages and the single-instance claim use.
  const char *variables[2];
  // /p, -window-id and $XSCREENSAVER_WINDOW name windows of this system.
  bool takesWindowIds;
  // Makes the display the layer's framebuffer, clock and input; `screen`
  // names one of its screens (null: the first, or the only one). False,
  // having said why, when it cannot be opened.
  bool (*open)(const char *screen);
  // The window a hack asked to draw on the root puts its preview in.
  uintptr_t (*rootWindow)();

  // Where each screen gets a process of its own (null where one process
  // covers the display): a connection that lists the screens, its
  // descriptor, and a read of what changed (false once the display is gone).
  bool (*watchScreens)();
  int (*screensDescriptor)();
  bool (*readScreens)(std::vector<std::string> *names);
  // The exit code of a process whose screen went away (-1: none).
  int screenGoneExit;
  // Set when the connection was handed over to this one process (so it
  // cannot be shared with others); null for none.
  const char *handedOver;
  // Whether the root hack (-root) runs once per screen too; X11's root is
  // one window across every monitor.
  bool rootEveryScreen;
  // What a second start of the full-screen saver does to the one running
  // (null: nothing).
  void (*raiseRunning)();
};

// --- The password check behind VerifyScreenSavePwd (PASSWORD.CPL) ---------
// A display that locks provides it. `start` hands the typed password on; it
// is the caller's buffer, read during the call only (false: it could not,
// which counts as a refusal). `verdict` is -1 while the check runs, then 1
// accepted or 0 refused; the provider calls VerdictArrived (the backend
// seam) when it changes.
struct PasswordCheck {
  bool (*start)(std::span<const char> password);
  int (*verdict)();
};
// Makes PASSWORD.CPL loadable, with VerifyScreenSavePwd asking `check`, and
// turns the user's password setting (ScreenSaveUsePassword) on: the host
// then asks for the password before every close.
void ProvidePasswordCheck(const PasswordCheck &check);

// --- Registry --------------------------------------------------------------
// An in-memory registry, empty at start (as it is for users on Linux).
void SetRegistryValue(HKEY root, const char *key, const char *name, DWORD type,
                      const std::vector<BYTE> &data);
void ClearRegistry();

// --- Modules ---------------------------------------------------------------
// Libraries that LoadLibraryA can load, by file name (case-insensitive),
// each with its exports. A preloaded one counts as loaded by the process
// from the start, so GetModuleHandleA finds it (as IMM32.DLL on Windows).
struct ModuleExport {
  const char *name;
  FARPROC entry;
};
void AddModule(const char *fileName, std::vector<ModuleExport> exports,
               bool preloaded = false);
void RemoveModules();
// How many LoadLibraryA calls on the module are not yet freed (preloaded
// modules count one more); 0 for an unknown or unloaded module.
int ModuleLoadCount(const char *fileName);

// --- Screen-saver running state and the command line -----------------------
// The state that SystemParametersInfoA(SPI_SCREENSAVERRUNNING) switches.
bool ScreenSaverRunning();
// What GetCommandLineA returns; the program's entry sets it from argv.
void SetCommandLine(const char *commandLine);
// Quotes argv the way Windows programs expect a command line to be built.
std::string CommandLineFromArguments(int argc, const char *const *argv);

// --- Whole-layer reset -----------------------------------------------------
// Destroys every window and timer without sending a message, unregisters
// every window class, empties the queues, sets the foreground and focus to
// none, the cursor shown and the running state off. The headless display
// also drops scheduled events and the idle handler and puts its clock back
// to 0 and its cursor at (0, 0). Registry, modules, resources and the
// display's picture are left alone.
void ResetWindowing();

// Number of live objects handed out by the layer (DCs, regions, bitmaps,
// palettes, loaded resources, windows, timers, registry keys).
std::size_t LiveObjectCount();

} // namespace platform
