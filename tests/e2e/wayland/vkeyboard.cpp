// The tests' own keyboard: types through a virtual keyboard
// (virtual-keyboard-unstable-v1) on the compositor named by
// WAYLAND_DISPLAY, with the keymap of a layout of the test's choice, as a
// user of that layout would: each character from a key (and shift level)
// of that layout that types it, so a client reading keys by their place
// would see other letters.
//
//   vkeyboard --layout LAYOUT [--variant VARIANT] [--wait MS] WORD...
//
// A WORD is text (not starting with "--"), or `--key NAME` for one key by
// keysym name (Return, Escape, BackSpace...). The keyboard waits MS (300) after it appears
// before its first key: clients learn of it from the seat and must ask
// for it first. Exits 1 with a message when a character has no key on the
// layout, 2 on a usage error.
#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "backends/wayland/keymap.h"
#include "tool_client.h"

namespace {

// A key and the modifiers held for the level that types the keysym.
struct Stroke {
  xkb_keycode_t keycode;
  xkb_mod_mask_t mods;
};

// The key of the first layout that gives `sym` with the fewest modifiers,
// Caps Lock only where nothing else does.
std::optional<Stroke> Find(xkb_keymap *keymap, xkb_keysym_t sym) {
  const xkb_mod_index_t lock =
      xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_CAPS);
  const auto cost = [lock](xkb_mod_mask_t mods) {
    const bool locks = lock < 32 && (mods >> lock & 1) != 0;
    return std::popcount(mods) + (locks ? 32 : 0);
  };
  std::optional<Stroke> best;
  for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap);
       key <= xkb_keymap_max_keycode(keymap); ++key) {
    for (xkb_level_index_t level = 0;
         level < xkb_keymap_num_levels_for_key(keymap, key, 0); ++level) {
      const xkb_keysym_t *syms = nullptr;
      if (xkb_keymap_key_get_syms_by_level(keymap, key, 0, level, &syms) != 1 ||
          syms[0] != sym) {
        continue;
      }
      xkb_mod_mask_t masks[8];
      const size_t count =
          xkb_keymap_key_get_mods_for_level(keymap, key, 0, level, masks, 8);
      for (size_t i = 0; i < count; ++i) {
        if (!best || cost(masks[i]) < cost(best->mods)) {
          best = Stroke{key, masks[i]};
        }
      }
    }
  }
  return best;
}

struct Typist {
  zwp_virtual_keyboard_v1 *device;
  xkb_mod_mask_t shift;

  void Key(uint32_t code, bool down) {
    zwp_virtual_keyboard_v1_key(device, NowMs(), code,
                                down ? WL_KEYBOARD_KEY_STATE_PRESSED
                                     : WL_KEYBOARD_KEY_STATE_RELEASED);
  }
  // Shift is pressed as a key too; other modifiers (AltGr's level three)
  // only go in the modifiers request.
  void Type(const Stroke &stroke) {
    const bool shifted = (stroke.mods & shift) != 0;
    if (shifted)
      Key(KEY_LEFTSHIFT, true);
    zwp_virtual_keyboard_v1_modifiers(device, stroke.mods, 0, 0, 0);
    Key(stroke.keycode - 8, true);
    Key(stroke.keycode - 8, false);
    if (shifted)
      Key(KEY_LEFTSHIFT, false);
    zwp_virtual_keyboard_v1_modifiers(device, 0, 0, 0, 0);
  }
};

// The keymap's text in a memfd, NUL included, for the keymap request.
int KeymapFd(xkb_keymap *keymap, uint32_t *size) {
  char *text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
  const std::string bytes = text ? std::string(text) + '\0' : std::string();
  std::free(text);
  const int fd = memfd_create("vkeyboard-keymap", MFD_CLOEXEC);
  if (bytes.empty() || fd < 0 ||
      write(fd, bytes.data(), bytes.size()) !=
          static_cast<ssize_t>(bytes.size())) {
    return -1;
  }
  *size = static_cast<uint32_t>(bytes.size());
  return fd;
}

int Usage() {
  std::cerr << "usage: vkeyboard --layout LAYOUT [--variant VARIANT] "
               "[--wait MS] (TEXT | --key KEYSYM)...\n";
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  std::string layout, variant;
  int wait = 300;
  int first = 1;
  for (; first + 1 < argc; first += 2) {
    const std::string option = argv[first];
    if (option == "--layout")
      layout = argv[first + 1];
    else if (option == "--variant")
      variant = argv[first + 1];
    else if (option == "--wait")
      wait = std::atoi(argv[first + 1]);
    else
      break;
  }
  if (layout.empty() || wait < 0)
    return Usage();

  // Every stroke first: nothing is typed unless all of it can be.
  xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
  xkb_rule_names names{};
  names.layout = layout.c_str();
  names.variant = variant.c_str();
  xkb_keymap *keymap = context ? xkb_keymap_new_from_names(
                                     context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS)
                               : nullptr;
  if (!keymap) {
    std::cerr << "vkeyboard: no keymap for layout \"" << layout
              << "\" variant \"" << variant << "\"\n";
    return 1;
  }
  std::vector<Stroke> strokes;
  for (int i = first; i < argc; ++i) {
    std::string word = argv[i];
    std::vector<xkb_keysym_t> syms;
    if (word == "--key") {
      if (++i == argc)
        return Usage();
      word = argv[i];
      syms.push_back(xkb_keysym_from_name(argv[i], XKB_KEYSYM_NO_FLAGS));
    } else if (word.starts_with("--")) {
      return Usage(); // options come first
    } else {
      for (uint32_t c : platform::detail::wayland::CodePoints(word))
        syms.push_back(xkb_utf32_to_keysym(c));
    }
    for (const xkb_keysym_t sym : syms) {
      const auto stroke =
          sym == XKB_KEY_NoSymbol ? std::nullopt : Find(keymap, sym);
      if (!stroke) {
        char name[64] = "no keysym";
        if (sym != XKB_KEY_NoSymbol)
          xkb_keysym_get_name(sym, name, sizeof name);
        std::cerr << "vkeyboard: no key of layout \"" << layout << "\" types "
                  << name << " (in \"" << word << "\")\n";
        return 1;
      }
      strokes.push_back(*stroke);
    }
  }

  ToolClient client("vkeyboard");
  if (!client.Connect(zwp_virtual_keyboard_manager_v1_interface))
    return 1;
  if (!client.seat) {
    std::cerr << "vkeyboard: the compositor offers no seat\n";
    return 1;
  }
  uint32_t size = 0;
  const int fd = KeymapFd(keymap, &size);
  if (fd < 0) {
    std::cerr << "vkeyboard: cannot write the keymap\n";
    return 1;
  }
  auto *device = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(
      client.Manager<zwp_virtual_keyboard_manager_v1>(), client.seat);
  zwp_virtual_keyboard_v1_keymap(device, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                 size);
  bool ok = client.Roundtrip();
  close(fd); // libwayland sent its own copy
  std::this_thread::sleep_for(std::chrono::milliseconds(wait));

  Typist typist{device,
                xkb_mod_mask_t{1} << xkb_keymap_mod_get_index(
                    keymap, XKB_MOD_NAME_SHIFT)};
  for (const Stroke &stroke : strokes) {
    if (!ok)
      break;
    typist.Type(stroke);
    ok = client.Roundtrip();
  }
  zwp_virtual_keyboard_v1_destroy(device);
  xkb_keymap_unref(keymap);
  xkb_context_unref(context);
  return ok ? 0 : 1;
}
