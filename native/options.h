// The native program's command line. Windows switches go to the host as
// they are; the options XScreenSaver and xsecurelock give their hacks make
// it the preview in the window they name.
#pragma once

#include <cstdint>

// Exit codes besides the host's own.
constexpr int kUsageExit = 1;
constexpr int kNoDisplayExit = 2;

struct HackOptions {
  bool on = false;   // a hack: the preview in `window`
  bool root = false; // -root: the root window, unless the daemon named one
  unsigned long window = 0; // 0: the display's root window
};

// An X window id, 0x... or decimal, up to 32 bits; 0 when the text is not
// one.
unsigned long ParseWindowId(const char *text);

// What the native entry takes for itself, wherever it stands on the
// command line, before the rest goes to the host.
struct EntryOptions {
  const char *backend = nullptr; // --backend NAME: that display system
  const char *screen = nullptr;  // --screen NAME: one screen of several
                                 // (how the program starts one per screen)
  bool lock = false;             // --lock: lock the session
  bool keepDesktop = false;      // --keep-desktop: (with --lock) the outputs'
                                 // pictures under the drawing, not black
};
// What a saver run for one screen adds to the time that seeds its series,
// so that screens started in the same second show series of their own; 0
// for the whole display (null).
uint32_t ScreenSeedOffset(const char *screen);
// Takes them out of argv (updating argc). Returns an exit code when the
// program should stop at once, after saying what is wrong; -1 to go on.
int TakeEntryOptions(int *argc, char **argv, EntryOptions *entry);

// The letter of the Windows switch in `argument` ('s' for "/s", "-S"...),
// as the host reads it; 0 for none.
char SwitchLetter(const char *argument);

// Reads the hack options; `daemonWindow` is $XSCREENSAVER_WINDOW (null when
// unset). Returns an exit code when the program should stop at once, after
// printing the help, the version or what is wrong; -1 to go on.
int ReadHackOptions(int argc, const char *const *argv, const char *daemonWindow,
                    HackOptions *hack);
