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

// Keys by their place on the keyboard (evdev codes), read as on a US
// layout: the saver only needs "a key", and the dialogs' keys (Enter,
// Escape, Tab, Space, arrows) sit in the same place on every layout.
UINT VirtualKeyOf(uint32_t code) {
  static constexpr char kRows[][11] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  static constexpr uint32_t kRowStarts[] = {KEY_Q, KEY_A, KEY_Z};
  for (int row = 0; row < 3; ++row) {
    const uint32_t start = kRowStarts[row];
    if (code >= start &&
        code < start + std::char_traits<char>::length(kRows[row])) {
      return static_cast<UINT>(kRows[row][code - start]);
    }
  }
  if (code >= KEY_1 && code <= KEY_9) {
    return '1' + (code - KEY_1);
  }
  if (code >= KEY_F1 && code <= KEY_F10) {
    return 0x70 + (code - KEY_F1);
  }
  switch (code) {
  case KEY_0:
    return '0';
  case KEY_F11:
    return 0x7A;
  case KEY_F12:
    return 0x7B;
  case KEY_ESC:
    return VK_ESCAPE;
  case KEY_BACKSPACE:
    return 0x08;
  case KEY_TAB:
    return VK_TAB;
  case KEY_ENTER:
  case KEY_KPENTER:
    return VK_RETURN;
  case KEY_LEFTSHIFT:
  case KEY_RIGHTSHIFT:
    return VK_SHIFT;
  case KEY_LEFTCTRL:
  case KEY_RIGHTCTRL:
    return VK_CONTROL;
  case KEY_LEFTALT:
  case KEY_RIGHTALT:
    return VK_MENU;
  case KEY_SPACE:
    return VK_SPACE;
  case KEY_PAUSE:
    return 0x13;
  case KEY_CAPSLOCK:
    return 0x14;
  case KEY_PAGEUP:
    return 0x21;
  case KEY_PAGEDOWN:
    return 0x22;
  case KEY_END:
    return 0x23;
  case KEY_HOME:
    return 0x24;
  case KEY_LEFT:
    return 0x25;
  case KEY_UP:
    return 0x26;
  case KEY_RIGHT:
    return 0x27;
  case KEY_DOWN:
    return 0x28;
  case KEY_INSERT:
    return 0x2D;
  case KEY_DELETE:
    return 0x2E;
  case KEY_LEFTMETA:
    return VK_LWIN;
  case KEY_RIGHTMETA:
    return 0x5C;
  default:
    return 0xFE;
  }
}

void OnKeymap(void *, wl_keyboard *, uint32_t, int32_t fd, uint32_t) {
  close(fd); // keys are read by their place, not through the keymap
}
void OnKeyboardEnter(void *, wl_keyboard *, uint32_t, wl_surface *,
                     wl_array *) {}
void OnKeyboardLeave(void *, wl_keyboard *, uint32_t, wl_surface *) {}
void OnKey(void *, wl_keyboard *, uint32_t, uint32_t, uint32_t key,
           uint32_t state) {
  TheWayland().Key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED);
}
void OnModifiers(void *, wl_keyboard *, uint32_t, uint32_t, uint32_t, uint32_t,
                 uint32_t) {}
void OnRepeatInfo(void *, wl_keyboard *, int32_t, int32_t) {}
// Every listener here is value-initialized, then set member by member: an
// event that a newer libwayland adds stays null, and is never sent at the
// versions we bind.
const wl_keyboard_listener keyboardListener = [] {
  wl_keyboard_listener l{};
  l.keymap = OnKeymap;
  l.enter = OnKeyboardEnter;
  l.leave = OnKeyboardLeave;
  l.key = OnKey;
  l.modifiers = OnModifiers;
  l.repeat_info = OnRepeatInfo;
  return l;
}();

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
void OnAxis(void *, wl_pointer *, uint32_t, uint32_t, wl_fixed_t) {}
void OnFrame(void *, wl_pointer *) {}
void OnAxisSource(void *, wl_pointer *, uint32_t) {}
void OnAxisStop(void *, wl_pointer *, uint32_t, uint32_t) {}
void OnAxisDiscrete(void *, wl_pointer *, uint32_t, int32_t) {}
// Every event of wl_pointer version 5, the version the seat is bound at.
const wl_pointer_listener pointerListener = [] {
  wl_pointer_listener l{};
  l.enter = OnPointerEnter;
  l.leave = OnPointerLeave;
  l.motion = OnMotion;
  l.button = OnButton;
  l.axis = OnAxis;
  l.frame = OnFrame;
  l.axis_source = OnAxisSource;
  l.axis_stop = OnAxisStop;
  l.axis_discrete = OnAxisDiscrete;
  return l;
}();

} // namespace

void Wayland::SeatCapabilities(uint32_t capabilities) {
  const bool keys = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  const bool points = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
  if (keys && keyboard == nullptr) {
    keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(keyboard, &keyboardListener, nullptr);
  } else if (!keys && keyboard != nullptr) {
    wl_keyboard_destroy(keyboard);
    keyboard = nullptr;
  }
  if (points && pointer == nullptr) {
    pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(pointer, &pointerListener, nullptr);
  } else if (!points && pointer != nullptr) {
    wl_pointer_destroy(pointer);
    pointer = nullptr;
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

void Wayland::Key(uint32_t key, bool down) {
  QueueKey(VirtualKeyOf(key), down);
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
