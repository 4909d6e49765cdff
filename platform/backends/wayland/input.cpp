// The seat: keys, buttons and the pointer become the layer's hardware
// input, and the host decides what they mean. Pointer places are screen
// pixels of the framebuffer: a surface's logical coordinates times its
// buffer scale, from its place on the screen.
#include <linux/input-event-codes.h>
#include <unistd.h>

#include <cmath>

#include "backends/wayland/wayland.h"

namespace platform::detail::wayland {
namespace {

void OnRepeatInfo(void *, wl_keyboard *, int32_t, int32_t) {}
void OnAxis(void *, wl_pointer *, uint32_t, uint32_t, wl_fixed_t) {}
void OnFrame(void *, wl_pointer *) {}
void OnAxisSource(void *, wl_pointer *, uint32_t) {}
void OnAxisStop(void *, wl_pointer *, uint32_t, uint32_t) {}
void OnAxisDiscrete(void *, wl_pointer *, uint32_t, int32_t) {}

} // namespace

// Listeners are value-initialized, then set member by member: an event that
// a newer libwayland adds stays null, and is never sent at the versions we
// bind (wl_pointer 5).
wl_keyboard_listener KeyboardListener(KeymapEvent keymap, EnterEvent enter,
                                      LeaveEvent leave, KeyEvent key,
                                      ModifiersEvent modifiers) {
  wl_keyboard_listener l{};
  l.keymap = keymap;
  l.enter = enter;
  l.leave = leave;
  l.key = key;
  l.modifiers = modifiers;
  l.repeat_info = OnRepeatInfo;
  return l;
}

wl_pointer_listener PointerListener(PointerEnterEvent enter,
                                    PointerLeaveEvent leave, MotionEvent motion,
                                    ButtonEvent button) {
  wl_pointer_listener l{};
  l.enter = enter;
  l.leave = leave;
  l.motion = motion;
  l.button = button;
  l.axis = OnAxis;
  l.frame = OnFrame;
  l.axis_source = OnAxisSource;
  l.axis_stop = OnAxisStop;
  l.axis_discrete = OnAxisDiscrete;
  return l;
}

namespace {

void OnKeymap(void *, wl_keyboard *, uint32_t format, int32_t fd,
              uint32_t size) {
  TheWayland().KeymapArrived(format, fd, size);
  close(fd);
}
void OnKeyboardEnter(void *, wl_keyboard *, uint32_t, wl_surface *,
                     wl_array *) {}
void OnKeyboardLeave(void *, wl_keyboard *, uint32_t, wl_surface *) {}
void OnKey(void *, wl_keyboard *, uint32_t, uint32_t, uint32_t key,
           uint32_t state) {
  TheWayland().Key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED);
}
void OnModifiers(void *, wl_keyboard *, uint32_t, uint32_t depressed,
                 uint32_t latched, uint32_t locked, uint32_t group) {
  TheWayland().ModifiersChanged(depressed, latched, locked, group);
}
const wl_keyboard_listener keyboardListener = KeyboardListener(
    OnKeymap, OnKeyboardEnter, OnKeyboardLeave, OnKey, OnModifiers);

void OnPointerEnter(void *, wl_pointer *, uint32_t serial, wl_surface *surface,
                    wl_fixed_t x, wl_fixed_t y) {
  TheWayland().PointerAt(surface, x, y, true, serial);
}
void OnPointerLeave(void *, wl_pointer *, uint32_t, wl_surface *) {
  TheWayland().PointerLeft();
}
void OnMotion(void *, wl_pointer *, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  TheWayland().PointerAt(nullptr, x, y, false, 0);
}
void OnButton(void *, wl_pointer *, uint32_t, uint32_t, uint32_t button,
              uint32_t state) {
  TheWayland().Button(button, state == WL_POINTER_BUTTON_STATE_PRESSED);
}
const wl_pointer_listener pointerListener =
    PointerListener(OnPointerEnter, OnPointerLeave, OnMotion, OnButton);

} // namespace

void FollowSeat(wl_seat *seat, uint32_t capabilities, wl_keyboard **keyboard,
                const wl_keyboard_listener *keys, wl_pointer **pointer,
                const wl_pointer_listener *points) {
  const bool hasKeys = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  const bool hasPointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
  if (hasKeys && *keyboard == nullptr) {
    *keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(*keyboard, keys, nullptr);
  } else if (!hasKeys && *keyboard != nullptr) {
    wl_keyboard_destroy(*keyboard);
    *keyboard = nullptr;
  }
  if (hasPointer && *pointer == nullptr) {
    *pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(*pointer, points, nullptr);
  } else if (!hasPointer && *pointer != nullptr) {
    wl_pointer_destroy(*pointer);
    *pointer = nullptr;
  }
}

void Wayland::SeatCapabilities(uint32_t capabilities) {
  FollowSeat(seat, capabilities, &keyboard, &keyboardListener, &pointer,
             &pointerListener);
  if (pointer == nullptr) {
    pointerIn = nullptr;
  }
}

void Wayland::PointerAt(wl_surface *entered, wl_fixed_t x, wl_fixed_t y,
                        bool enter, uint32_t serial) {
  if (enter) {
    pointerIn = nullptr;
    for (auto &[window, s] : surfaces) {
      if (s->surface != nullptr && s->surface == entered) {
        pointerIn = s.get();
      }
    }
    enterSerial = serial;
    if (cursorHidden && pointer != nullptr) {
      wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    }
  }
  if (pointerIn == nullptr) {
    return;
  }
  const auto at = [](wl_fixed_t v, double scale) {
    return static_cast<LONG>(std::floor(wl_fixed_to_double(v) * scale));
  };
  const POINT said = CursorPosition();
  cursor = POINT{pointerIn->area.left + at(x, pointerIn->InputScale()),
                 pointerIn->area.top + at(y, pointerIn->InputScale())};
  // Where the pointer was when our surface appeared is no move: travel
  // counts from there. A compositor may tell nothing of a resting pointer
  // until it moves or the layout changes (sway 1.10), after the host took
  // GetCursorPos for its start: the first place told is then where the
  // pointer was all along, and GetCursorPos keeps what it said, so travel
  // still counts from there. Any other enter is the pointer arriving from
  // elsewhere, which is a move.
  if (enter && !pointerKnown) {
    pointerKnown = true;
    if (!mapping) {
      told = POINT{said.x - cursor.x, said.y - cursor.y};
    }
    return;
  }
  if (!(enter && mapping)) {
    QueueCursorMove(cursor.x, cursor.y);
  }
}

void Wayland::Button(uint32_t button, bool down) {
  UINT key = 0;
  switch (button) {
  case BTN_LEFT:
    key = VK_LBUTTON;
    break;
  case BTN_RIGHT:
    key = VK_RBUTTON;
    break;
  case BTN_MIDDLE:
    key = VK_MBUTTON;
    break;
  default:
    return;
  }
  QueueButtonAt(key, down, cursor);
}

void Wayland::KeymapArrived(uint32_t format, int fd, uint32_t size) {
  // Without a keymap (or with one that does not load: Load unloads), keys
  // are read by their place, as on a US layout.
  if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
    keymap.Load(fd, size);
  } else {
    keymap.Unload();
  }
}

void Wayland::ModifiersChanged(uint32_t depressed, uint32_t latched,
                               uint32_t locked, uint32_t group) {
  keymap.Modifiers(depressed, latched, locked, group);
}

// The key, then the text it typed (through the keymap: any layout, dead
// keys composed) as characters for the focus window.
void Wayland::Key(uint32_t key, bool down) {
  const KeyPress press = keymap.Key(key, down);
  QueueKey(press.virtualKey, down);
  for (uint32_t c : CodePoints(press.text)) {
    QueueCharacter(c);
  }
}

void Wayland::ShowCursor(bool shown) {
  cursorHidden = !shown;
  // Showing it again needs a cursor image of our own, which nothing here
  // asks for: the compositor's own shows once the pointer leaves.
  if (cursorHidden && pointer != nullptr && pointerIn != nullptr) {
    wl_pointer_set_cursor(pointer, enterSerial, nullptr, 0, 0);
  }
}

} // namespace platform::detail::wayland
