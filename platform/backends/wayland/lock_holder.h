// The holder of a screen lock (gushmire --lock): it owns the compositor's
// ext-session-lock and one lock surface an output, and runs a saver process
// an output that draws into memory of its own, across a lock link
// (core/lock_link.h). The holder shows the saver's pictures as they are,
// passes it the input of its output, and runs every password check in a
// PAM process of its own: only an accepted check unlocks. A saver that
// dies is started again; signals never unlock; if the holder dies the
// compositor keeps the session locked.
//
//   lock_holder.cpp   connection, the lock, surfaces, the loop, unlocking
//   lock_input.cpp    the seat: keys through the keymap, the pointer
//   lock_savers.cpp   the savers' processes and what their links say
//   lock_desktop.cpp  the outputs' pictures before the lock (--keep-desktop)
#pragma once

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backends/wayland/keymap.h"
#include "backends/wayland/wayland.h"
#include "core/lock_link.h"
#include <ext-session-lock-v1-client-protocol.h>

namespace platform::detail::wayland::holder {

using Message = platform::detail::lock::Message;

// One output, its lock surface and its saver.
struct Screen {
  std::unique_ptr<Output> output;
  wl_surface *surface = nullptr;
  ext_session_lock_surface_v1 *lockSurface = nullptr;
  wp_viewport *viewport = nullptr;
  bool configured = false;
  int32_t logicalWidth = 0, logicalHeight = 0; // as configured
  int32_t width = 0, height = 0;               // device pixels
  wl_buffer *black = nullptr; // shown until the saver's first picture
  // The output's picture before the lock (a sealed memfd), or -1: what
  // each of its savers starts from when it is of their size.
  int desktop = -1;
  int32_t desktopWidth = 0, desktopHeight = 0;
  // The saver.
  pid_t pid = -1;
  int link = -1;
  std::array<wl_buffer *, 2> pictures{};
  wl_callback *frame = nullptr;
  bool frameWanted = false;
  uint64_t startedAt = 0;
  uint64_t restartAt = 0; // 0: none due
  int quickEnds = 0;      // ends soon after a start, in a row
};

struct Holder {
  wl_display *display = nullptr;
  wl_registry *registry = nullptr;
  wl_compositor *compositor = nullptr;
  uint32_t compositorVersion = 0;
  wl_shm *shm = nullptr;
  wl_seat *seat = nullptr;
  wl_keyboard *keyboard = nullptr;
  wl_pointer *pointer = nullptr;
  wp_viewporter *viewporter = nullptr;
  ext_session_lock_manager_v1 *manager = nullptr;
  ext_session_lock_v1 *lock = nullptr;
  bool locked = false;
  bool finished = false;
  std::vector<std::unique_ptr<Screen>> screens;
  Keymap keymap;
  Screen *keyFocus = nullptr;  // the lock surface with the keyboard
  Screen *pointerIn = nullptr; // the one under the pointer
  Screen *lastInput = nullptr; // where the user last did something
  Screen *checking = nullptr;  // whose password PAM is checking
  uint64_t checkDeadline = 0;  // when a check still running is given up
  uint32_t pointerSerial = 0;
  const char *program = nullptr; // our own path, to start savers
  bool accepted = false;
};

Holder &TheHolder();

// lock_holder.cpp
void AddScreen(uint32_t name, uint32_t version);
void RemoveScreen(uint32_t name);
// Shows `picture` (0 or 1) of the saver with `boxes` changed.
void ShowPicture(Screen &screen, const Message &commit);
[[noreturn]] void Lost();

// lock_input.cpp
void SeatCapabilities(uint32_t capabilities);
// The screen keys go to: the one with the keyboard, else where the user
// last was.
Screen *KeyTarget();

// lock_savers.cpp
void StartSaver(Screen &screen);
void StopSaver(Screen &screen);
// Takes what the saver said; a closed link stops it.
void ReadSaver(Screen &screen);
// Reaps savers that ended and schedules their restart.
void ReapSavers();
void StartDueSavers();
// The earliest restart or check deadline due, or 0.
uint64_t NextDue();
// Gives up a check that has run past its deadline (a PAM module that
// hangs): the prompt hears a refusal, and the user may try again.
void CheckOverdue();
// Sends the saver of `screen` a message of the link, with `fd` where
// that is >= 0 (nothing if there is no saver).
void Tell(Screen &screen, const Message &m, int fd = -1);
// The running password check ended: tells whose it was.
void CheckEnded();

// lock_desktop.cpp
// Reads each output's picture into its screen's `desktop` while `pump`
// runs the display, black where it cannot (said once without screencopy).
void CaptureDesktops(void (*pump)(int timeout));

} // namespace platform::detail::wayland::holder
