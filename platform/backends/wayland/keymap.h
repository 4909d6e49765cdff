// Keys read through a keymap (xkbcommon): the Win32 virtual key of a key
// and the text it types, dead keys and compose sequences included, on any
// layout. The seat's keyboard (input.cpp) and the lock process use it; it
// needs no Wayland connection and shows no Wayland or xkbcommon header.
// Without a keymap, keys are read by their place, as on a US layout.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "winapi.h"

struct xkb_context;
struct xkb_keymap;
struct xkb_state;
struct xkb_compose_table;
struct xkb_compose_state;

namespace platform::detail::wayland {

struct KeyPress {
  UINT virtualKey;  // Win32 VK code, 0xFE when none fits
  std::string text; // UTF-8 the key types (after dead keys/compose); empty for none
};

class Keymap {
public:
  Keymap();
  ~Keymap();
  Keymap(const Keymap &) = delete;
  Keymap &operator=(const Keymap &) = delete;

  // wl_keyboard.keymap, format xkb_v1: `fd` of `size` bytes, the text NUL
  // terminated; the fd stays the caller's to close. False on any failure
  // (then keys are read by position as before, until a keymap loads).
  bool Load(int fd, uint32_t size);
  // A keymap from RMLVO names (tests, tools): layout "us", "fr", variant
  // "dvorak"... (null or "": the default).
  bool LoadNames(const char *layout, const char *variant);
  bool Loaded() const { return state != nullptr; }
  // Back to reading keys by position (a keymap of another format came).
  void Unload();
  // wl_keyboard.modifiers.
  void Modifiers(uint32_t depressed, uint32_t latched, uint32_t locked,
                 uint32_t group);
  // evdev code as wl_keyboard.key gives it (xkb keycode = code + 8). A press
  // gives the text it types, a release only updates the keyboard's state.
  KeyPress Key(uint32_t code, bool down);

private:
  // Makes the context (and the compose table) on first use.
  bool Prepare();
  // Takes `made` (may be null) as the keymap, with a fresh state.
  bool Adopt(xkb_keymap *made);
  std::string Text(uint32_t keycode);

  xkb_context *context = nullptr;
  xkb_keymap *keymap = nullptr;
  xkb_state *state = nullptr;
  xkb_compose_table *composeTable = nullptr; // null: none for the locale
  xkb_compose_state *compose = nullptr;
};

// The virtual key of an evdev code by its place on a US keyboard (0xFE for
// none): what Key gives without a keymap, or for a keysym with no key of
// its own.
UINT VirtualKeyOf(uint32_t code);

// The code points of UTF-8 text; a malformed sequence gives U+FFFD.
std::vector<uint32_t> CodePoints(std::string_view utf8);

} // namespace platform::detail::wayland
