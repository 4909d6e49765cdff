// The lock's seat. Keys are read through the keymap the compositor sends,
// so a password typed on any layout is the one the user types at login,
// and go to the saver of the output the user is at; pointer places become
// device pixels of the output under the pointer.
#include <linux/input-event-codes.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string.h>

#include "backends/wayland/lock_holder.h"

namespace platform::detail::wayland::holder {
namespace {

using detail::lock::Kind;

Screen *ScreenOf(wl_surface *surface) {
  for (auto &s : TheHolder().screens) {
    if (surface != nullptr && s->surface == surface) {
      return s.get();
    }
  }
  return nullptr;
}

void OnKeymap(void *, wl_keyboard *, uint32_t format, int32_t fd,
              uint32_t size) {
  if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
    TheHolder().keymap.Load(fd, size);
  }
  close(fd);
}
void OnKeyboardEnter(void *, wl_keyboard *, uint32_t, wl_surface *surface,
                     wl_array *) {
  // Not where the user is: the compositor sends this again whenever a
  // keyboard comes or changes its keymap, wherever the user is typing.
  TheHolder().keyFocus = ScreenOf(surface);
}
void OnKeyboardLeave(void *, wl_keyboard *, uint32_t, wl_surface *) {
  TheHolder().keyFocus = nullptr;
}
void OnKey(void *, wl_keyboard *, uint32_t, uint32_t, uint32_t key,
           uint32_t state) {
  Holder &h = TheHolder();
  const bool down = state == WL_KEYBOARD_KEY_STATE_PRESSED;
  KeyPress press = h.keymap.Key(key, down);
  Screen *target = KeyTarget();
  if (target != nullptr) {
    Message m;
    m.kind = Kind::kKey;
    m.a = static_cast<int32_t>(press.virtualKey & 0xFF);
    m.b = down ? 1 : 0;
    if (press.text.size() <= sizeof m.text) {
      m.textLength = static_cast<uint32_t>(press.text.size());
      std::memcpy(m.text, press.text.data(), press.text.size());
    }
    Tell(*target, m);
    detail::lock::Wipe(&m);
  }
  // What a key typed may be part of the password.
  explicit_bzero(press.text.data(), press.text.size());
}
void OnModifiers(void *, wl_keyboard *, uint32_t, uint32_t depressed,
                 uint32_t latched, uint32_t locked, uint32_t group) {
  TheHolder().keymap.Modifiers(depressed, latched, locked, group);
}
const wl_keyboard_listener keyboardListener = KeyboardListener(
    OnKeymap, OnKeyboardEnter, OnKeyboardLeave, OnKey, OnModifiers);

void PointerAt(wl_fixed_t x, wl_fixed_t y, bool moved) {
  Holder &h = TheHolder();
  Screen *s = h.pointerIn;
  if (s == nullptr || s->logicalWidth <= 0 || s->logicalHeight <= 0) {
    return;
  }
  if (moved) {
    h.lastInput = s;
  }
  const auto at = [](wl_fixed_t v, int device, int logical) {
    const double place = std::floor(wl_fixed_to_double(v) * device / logical);
    return static_cast<int32_t>(std::clamp(place, 0.0, device - 1.0));
  };
  Message m;
  m.kind = Kind::kPointer;
  m.a = at(x, s->width, s->logicalWidth);
  m.b = at(y, s->height, s->logicalHeight);
  Tell(*s, m);
}
void OnPointerEnter(void *, wl_pointer *pointer, uint32_t serial,
                    wl_surface *surface, wl_fixed_t x, wl_fixed_t y) {
  Holder &h = TheHolder();
  h.pointerIn = ScreenOf(surface);
  h.pointerSerial = serial;
  // No pointer over a lock: the savers hide theirs anyway.
  wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
  PointerAt(x, y, false);
}
void OnPointerLeave(void *, wl_pointer *, uint32_t, wl_surface *) {
  TheHolder().pointerIn = nullptr;
}
void OnMotion(void *, wl_pointer *, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  PointerAt(x, y, true);
}
void OnButton(void *, wl_pointer *, uint32_t, uint32_t, uint32_t button,
              uint32_t state) {
  Holder &h = TheHolder();
  const UINT key = button == BTN_LEFT     ? VK_LBUTTON
                   : button == BTN_RIGHT  ? VK_RBUTTON
                   : button == BTN_MIDDLE ? VK_MBUTTON
                                          : 0;
  if (h.pointerIn == nullptr || key == 0) {
    return;
  }
  h.lastInput = h.pointerIn;
  Message m;
  m.kind = Kind::kButton;
  m.a = static_cast<int32_t>(key);
  m.b = state == WL_POINTER_BUTTON_STATE_PRESSED ? 1 : 0;
  Tell(*h.pointerIn, m);
}
const wl_pointer_listener pointerListener =
    PointerListener(OnPointerEnter, OnPointerLeave, OnMotion, OnButton);

} // namespace

void SeatCapabilities(uint32_t capabilities) {
  Holder &h = TheHolder();
  FollowSeat(h.seat, capabilities, &h.keyboard, &keyboardListener, &h.pointer,
             &pointerListener);
  if (h.keyboard == nullptr) {
    h.keyFocus = nullptr;
  }
  if (h.pointer == nullptr) {
    h.pointerIn = nullptr;
  }
}

Screen *KeyTarget() {
  Holder &h = TheHolder();
  // Where the user last moved or clicked wins over the keyboard's focus:
  // the prompt comes up there, and keys must follow it.
  if (h.lastInput != nullptr) {
    return h.lastInput;
  }
  if (h.keyFocus != nullptr) {
    return h.keyFocus;
  }
  return h.screens.empty() ? nullptr : h.screens.front().get();
}

} // namespace platform::detail::wayland::holder
