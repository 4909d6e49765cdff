// Native-only controls of our platform layer, for the native program's
// entry, tests and tools: the display, the headless backend's clock and
// script, the embedded resource table and object accounting. Each backend
// that a program can choose has a header of its own (layer_x11.h). Engine
// and host code never include these; they see only winapi.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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

// The headless display, the backend in use unless the program chose
// another: an in-memory 32-bit surface that plays the screen. Pixels are
// 0x00RRGGBB. Opening it again replaces it; windows created afterwards draw
// onto it.
void OpenHeadlessDisplay(int width, int height, uint32_t fill = 0);
// The headless display as several monitors, in screen coordinates, the
// primary first with its corner at (0, 0). The display then covers the
// virtual screen, the box around them all, which starts left of or above
// (0, 0) when a monitor lies there. False, with the display unchanged,
// when a monitor is empty, the primary is not at (0, 0), or the box is
// wider or taller than any screen can be.
bool OpenHeadlessMonitors(const std::vector<RECT> &monitors, uint32_t fill = 0);
// Paints the headless display: width * height pixels, row 0 on top.
void SetDisplayPicture(const uint32_t *pixels);
// What GetDeviceCaps(BITSPIXEL) reports for the headless display: 8, 16,
// 24 or 32 (the default). Pixels stay 32-bit; at 8 bits each pixel drawn
// shows as the nearest colour of the realized palette, as an 8-bit screen
// would show it.
void SetDisplayBitsPerPixel(int bits);
// The screen of the backend in use, as the layer has drawn it: the virtual
// screen's size, its pixels from its top-left corner on, which lies at
// DisplayOrigin() in screen coordinates ((0, 0) unless a monitor lies left
// of or above the primary). DisplayPixel takes screen coordinates; 0 off
// the screen.
int DisplayWidth();
int DisplayHeight();
POINT DisplayOrigin();
const uint32_t *DisplayPixels();
uint32_t DisplayPixel(int x, int y);

// From now on SIGTERM and SIGINT end every preview as the destruction of its
// parent window would, so the host finishes normally. False when the
// backend in use cannot (the headless one never waits on anything).
bool EndPreviewOnSignals();

// --- Clock and scripted input of the headless display ----------------------
// The headless display runs on a virtual clock: GetTickCount reads it, and
// only Sleep and waiting for messages move it on, straight to the next
// timer or scripted event. A run of minutes plays out in milliseconds and
// the same script always gives the same run.
void SetTickCount(DWORD tick); // for testing the wrap at 2^32
// Runs `action` once the clock has advanced `delay` ms from now, while the
// program waits for messages or sleeps. Equal times run in the order given.
void ScheduleAfter(DWORD delay, std::function<void()> action);
// What a wait does when no message, timer or scripted event can ever come:
// by default the process aborts with a message, since the run would hang.
// A test may set a handler instead (for example one that posts WM_QUIT).
void SetIdleHandler(std::function<void()> handler);

// Hardware input, queued as the platform queues it: keys and buttons go to
// the focus window (mouse: the window under the cursor). The headless
// cursor moves in screen coordinates and makes WM_SETCURSOR and
// WM_MOUSEMOVE.
void KeyDown(UINT virtualKey); // with VK_MENU held: WM_SYSKEYDOWN
void KeyUp(UINT virtualKey);
void PressKey(UINT virtualKey); // down, then up
void ButtonDown(UINT button);   // VK_LBUTTON, VK_RBUTTON or VK_MBUTTON
void ButtonUp(UINT button);
void Click(UINT button);
void MoveCursorTo(int x, int y);
void MoveCursorBy(int dx, int dy);
// False after SetCursor(NULL) until a cursor is set again.
bool CursorShown();

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
