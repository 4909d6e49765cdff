// Keys through xkbcommon: the keymap a compositor hands over (or one made
// from layout names), the keyboard's state, and a compose state for dead
// keys and compose sequences, from the locale's compose table.
#include "backends/wayland/keymap.h"
#include "core/utf8.h"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <cstring>

namespace platform::detail::wayland {
namespace {

// A keymap's text is some tens of kilobytes; anything past this is not one.
constexpr uint32_t kMaxKeymapBytes = 1u << 20;
constexpr UINT kNoKey = 0xFE;

// The locale whose compose table applies, as setlocale would pick it.
const char *ComposeLocale() {
  for (const char *name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char *value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      return value;
    }
  }
  return "C";
}

// The virtual key a keysym names, as Windows gives it for the key that
// types it unshifted; 0 when the keysym does not decide it.
UINT VirtualKeyOfSym(xkb_keysym_t sym) {
  if (sym >= XKB_KEY_a && sym <= XKB_KEY_z) {
    return 'A' + (sym - XKB_KEY_a);
  }
  if (sym >= XKB_KEY_A && sym <= XKB_KEY_Z) {
    return 'A' + (sym - XKB_KEY_A);
  }
  if (sym >= XKB_KEY_0 && sym <= XKB_KEY_9) {
    return '0' + (sym - XKB_KEY_0);
  }
  if (sym >= XKB_KEY_F1 && sym <= XKB_KEY_F24) {
    return 0x70 + (sym - XKB_KEY_F1);
  }
  switch (sym) {
  case XKB_KEY_Return:
  case XKB_KEY_KP_Enter:
    return VK_RETURN;
  case XKB_KEY_Escape:
    return VK_ESCAPE;
  case XKB_KEY_BackSpace:
    return 0x08;
  case XKB_KEY_Tab:
  case XKB_KEY_ISO_Left_Tab:
    return VK_TAB;
  case XKB_KEY_space:
    return VK_SPACE;
  case XKB_KEY_Left:
    return 0x25;
  case XKB_KEY_Up:
    return 0x26;
  case XKB_KEY_Right:
    return 0x27;
  case XKB_KEY_Down:
    return 0x28;
  case XKB_KEY_Home:
    return 0x24;
  case XKB_KEY_End:
    return 0x23;
  case XKB_KEY_Prior:
    return 0x21;
  case XKB_KEY_Next:
    return 0x22;
  case XKB_KEY_Insert:
    return 0x2D;
  case XKB_KEY_Delete:
    return 0x2E;
  case XKB_KEY_Shift_L:
  case XKB_KEY_Shift_R:
    return VK_SHIFT;
  case XKB_KEY_Control_L:
  case XKB_KEY_Control_R:
    return VK_CONTROL;
  case XKB_KEY_Alt_L:
  case XKB_KEY_Alt_R:
    return VK_MENU;
  case XKB_KEY_Super_L:
    return VK_LWIN;
  case XKB_KEY_Super_R:
    return 0x5C;
  case XKB_KEY_Caps_Lock:
    return 0x14;
  case XKB_KEY_Pause:
    return 0x13;
  default:
    return 0;
  }
}

// Appends `c` to `out` as UTF-8.
void AppendUtf8(std::string &out, uint32_t c) {
  char bytes[4];
  out.append(bytes, EncodeUtf8(c, bytes));
}

// The text without control characters (Return's "\r", BackSpace's "\b",
// Escape's "\x1b", Delete's "\x7f"): those keys are read as keys.
std::string Printable(const std::string &text) {
  std::string out;
  for (uint32_t c : CodePoints(text)) {
    if (c >= 0x20 && c != 0x7F) {
      AppendUtf8(out, c);
    }
  }
  return out;
}

} // namespace

UINT VirtualKeyOf(uint32_t code) {
  // Keys by their place on the keyboard (evdev codes), read as on a US
  // layout: the saver only needs "a key", and the dialogs' keys (Enter,
  // Escape, Tab, Space, arrows) sit in the same place on every layout.
  static constexpr char kRows[][11] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  static constexpr uint32_t kRowStarts[] = {KEY_Q, KEY_A, KEY_Z};
  for (int row = 0; row < 3; ++row) {
    const uint32_t start = kRowStarts[row];
    if (code >= start && code - start < std::strlen(kRows[row])) {
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
    return kNoKey;
  }
}

std::vector<uint32_t> CodePoints(std::string_view utf8) {
  std::vector<uint32_t> out;
  for (std::size_t at = 0; at < utf8.size();) {
    out.push_back(NextCodePoint(utf8, &at).value_or(0xFFFD));
  }
  return out;
}

Keymap::Keymap() = default;

Keymap::~Keymap() {
  Unload();
  xkb_compose_state_unref(compose);
  xkb_compose_table_unref(composeTable);
  xkb_context_unref(context);
}

bool Keymap::Prepare() {
  if (context != nullptr) {
    return true;
  }
  // The names given are the names used: none come from XKB_DEFAULT_*.
  context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
  if (context == nullptr) {
    return false;
  }
  // No compose table (no libX11 locale data, an odd locale) leaves dead
  // keys typing nothing, not the keymap unusable.
  composeTable = xkb_compose_table_new_from_locale(
      context, ComposeLocale(), XKB_COMPOSE_COMPILE_NO_FLAGS);
  if (composeTable == nullptr) {
    composeTable = xkb_compose_table_new_from_locale(
        context, "C", XKB_COMPOSE_COMPILE_NO_FLAGS);
  }
  if (composeTable != nullptr) {
    compose = xkb_compose_state_new(composeTable, XKB_COMPOSE_STATE_NO_FLAGS);
  }
  return true;
}

void Keymap::Unload() {
  xkb_state_unref(state);
  xkb_keymap_unref(keymap);
  state = nullptr;
  keymap = nullptr;
  if (compose != nullptr) {
    xkb_compose_state_reset(compose);
  }
}

bool Keymap::Adopt(xkb_keymap *made) {
  Unload();
  if (made == nullptr) {
    return false;
  }
  state = xkb_state_new(made);
  if (state == nullptr) {
    xkb_keymap_unref(made);
    return false;
  }
  keymap = made;
  return true;
}

bool Keymap::Load(int fd, uint32_t size) {
  if (!Prepare() || fd < 0 || size == 0 || size > kMaxKeymapBytes) {
    Unload();
    return false;
  }
  // Past the end of a file, a mapping's pages fault (SIGBUS): a file must
  // hold all it is said to.
  struct stat file {};
  if (fstat(fd, &file) != 0 ||
      (S_ISREG(file.st_mode) && file.st_size < static_cast<off_t>(size))) {
    Unload();
    return false;
  }
  // Read-only and private: the compositor may hand a sealed or read-only fd.
  void *mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (mapped == MAP_FAILED) {
    Unload();
    return false;
  }
  const char *text = static_cast<const char *>(mapped);
  xkb_keymap *made = nullptr;
  if (std::memchr(text, '\0', size) != nullptr) {
    made = xkb_keymap_new_from_string(context, text, XKB_KEYMAP_FORMAT_TEXT_V1,
                                      XKB_KEYMAP_COMPILE_NO_FLAGS);
  }
  munmap(mapped, size);
  return Adopt(made);
}

bool Keymap::LoadNames(const char *layout, const char *variant) {
  if (!Prepare()) {
    return false;
  }
  xkb_rule_names names{};
  names.layout = layout;
  names.variant = variant;
  return Adopt(
      xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
}

void Keymap::Modifiers(uint32_t depressed, uint32_t latched, uint32_t locked,
                       uint32_t group) {
  if (state == nullptr) {
    return;
  }
  // Masks of modifiers or a group the keymap does not have mean nothing.
  const xkb_mod_index_t mods = xkb_keymap_num_mods(keymap);
  const xkb_mod_mask_t known =
      mods >= 32 ? ~xkb_mod_mask_t{0} : (xkb_mod_mask_t{1} << mods) - 1;
  const xkb_layout_index_t layouts = xkb_keymap_num_layouts(keymap);
  xkb_state_update_mask(state, depressed & known, latched & known,
                        locked & known, 0, 0,
                        layouts == 0 || group >= layouts ? 0 : group);
}

std::string Keymap::Text(uint32_t keycode) {
  // Ctrl and Alt make shortcuts, not text.
  if (xkb_state_mod_name_is_active(state, XKB_MOD_NAME_CTRL,
                                   XKB_STATE_MODS_EFFECTIVE) > 0 ||
      xkb_state_mod_name_is_active(state, XKB_MOD_NAME_ALT,
                                   XKB_STATE_MODS_EFFECTIVE) > 0) {
    return {};
  }
  const xkb_keysym_t sym = xkb_state_key_get_one_sym(state, keycode);
  std::string text;
  if (compose != nullptr &&
      xkb_compose_state_feed(compose, sym) == XKB_COMPOSE_FEED_ACCEPTED) {
    switch (xkb_compose_state_get_status(compose)) {
    case XKB_COMPOSE_COMPOSING:
      return {};
    case XKB_COMPOSE_COMPOSED: {
      const int length = xkb_compose_state_get_utf8(compose, nullptr, 0);
      if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        xkb_compose_state_get_utf8(compose, text.data(), text.size());
        text.resize(static_cast<std::size_t>(length));
      }
      xkb_compose_state_reset(compose);
      return Printable(text);
    }
    case XKB_COMPOSE_CANCELLED:
      // A sequence that leads nowhere types nothing (as with libX11).
      xkb_compose_state_reset(compose);
      return {};
    case XKB_COMPOSE_NOTHING:
      break;
    }
  }
  const int length = xkb_state_key_get_utf8(state, keycode, nullptr, 0);
  if (length > 0) {
    text.resize(static_cast<std::size_t>(length) + 1);
    xkb_state_key_get_utf8(state, keycode, text.data(), text.size());
    text.resize(static_cast<std::size_t>(length));
  }
  return Printable(text);
}

KeyPress Keymap::Key(uint32_t code, bool down) {
  KeyPress press{VirtualKeyOf(code), {}};
  // xkb keycodes are evdev codes + 8, within the keymap's range.
  if (state == nullptr || code > XKB_KEYCODE_MAX - 8) {
    return press;
  }
  const xkb_keycode_t keycode = code + 8;
  if (keycode < xkb_keymap_min_keycode(keymap) ||
      keycode > xkb_keymap_max_keycode(keymap)) {
    return press;
  }
  // The virtual key is the key's own, unshifted: what its first level
  // types in the current layout (AZERTY's A key gives 'A', Shift or not).
  const xkb_layout_index_t layout = xkb_state_key_get_layout(state, keycode);
  const xkb_keysym_t *syms = nullptr;
  if (layout != XKB_LAYOUT_INVALID &&
      xkb_keymap_key_get_syms_by_level(keymap, keycode, layout, 0, &syms) ==
          1) {
    if (const UINT vk = VirtualKeyOfSym(syms[0]); vk != 0) {
      press.virtualKey = vk;
    }
  }
  // The text comes from the state before the key changes it.
  if (down) {
    press.text = Text(keycode);
  }
  xkb_state_update_key(state, keycode, down ? XKB_KEY_DOWN : XKB_KEY_UP);
  return press;
}

} // namespace platform::detail::wayland
