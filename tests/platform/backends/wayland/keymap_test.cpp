// Keys through a keymap (xkbcommon), with no compositor: the same word from
// other keys on other layouts, shift levels, dead keys, shortcuts, virtual
// keys by keysym, and a compositor's keymap fd, good and bad.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "backends/wayland/keymap.h"

namespace {

using platform::detail::wayland::Keymap;

// Presses and releases each key in turn; Shift (+) is held for the next.
std::string Type(Keymap &keys, std::initializer_list<int> codes) {
  std::string text;
  for (const int code : codes) {
    if (code < 0) {
      keys.Key(KEY_LEFTSHIFT, true);
    }
    text += keys.Key(static_cast<uint32_t>(std::abs(code)), true).text;
    keys.Key(static_cast<uint32_t>(std::abs(code)), false);
    if (code < 0) {
      keys.Key(KEY_LEFTSHIFT, false);
    }
  }
  return text;
}
UINT Vk(Keymap &keys, uint32_t code) {
  const UINT vk = keys.Key(code, true).virtualKey;
  keys.Key(code, false);
  return vk;
}
Keymap &Layout(Keymap &keys, const char *layout, const char *variant = "") {
  EXPECT_TRUE(keys.LoadNames(layout, variant)) << layout << " " << variant;
  return keys;
}

TEST(KeymapLayouts, TheSameWordFromTheKeysThatTypeIt) {
  Keymap us, fr, dvorak;
  EXPECT_EQ(Type(Layout(us, "us"), {KEY_M, KEY_A, KEY_Z, KEY_E}), "maze");
  EXPECT_EQ(Type(Layout(fr, "fr"), {KEY_SEMICOLON, KEY_Q, KEY_W, KEY_E}),
            "maze");
  EXPECT_EQ(Type(Layout(dvorak, "us", "dvorak"),
                 {KEY_M, KEY_A, KEY_SLASH, KEY_D}),
            "maze");
  // Shift levels: capitals, and AZERTY's digits above its symbols.
  EXPECT_EQ(Type(us, {-KEY_M, KEY_1, -KEY_1}), "M1!");
  EXPECT_EQ(Type(fr, {-KEY_Q, KEY_1, -KEY_1, KEY_2}), "A&1\xC3\xA9"); // A&1é
  EXPECT_EQ(Type(dvorak, {-KEY_S, KEY_Q}), "O'");
}

TEST(KeymapText, DeadKeysComposeAndShortcutsTypeNothing) {
  Keymap fr;
  Layout(fr, "fr");
  // AZERTY's dead circumflex, then e: one "ê", nothing at the dead key.
  EXPECT_EQ(fr.Key(KEY_LEFTBRACE, true).text, "");
  fr.Key(KEY_LEFTBRACE, false);
  EXPECT_EQ(Type(fr, {KEY_E, KEY_LEFTBRACE, -KEY_E}), "\xC3\xAA\xC3\x8A");
  // Ctrl or Alt held (by key or by the compositor's mask): no text, and
  // the key still is the key. Control is modifier 2 in every keymap.
  fr.Key(KEY_LEFTCTRL, true);
  EXPECT_EQ(fr.Key(KEY_Q, true).text, "");
  EXPECT_EQ(fr.Key(KEY_Q, false).virtualKey, static_cast<UINT>('A'));
  fr.Key(KEY_LEFTCTRL, false);
  fr.Modifiers(1u << 2, 0, 0, 0);
  EXPECT_EQ(Type(fr, {KEY_Q}), "");
  fr.Modifiers(0, 0, 0, 0);
  EXPECT_EQ(Type(fr, {KEY_Q}), "a");
  // Keys whose text is a control character type none; releases none.
  EXPECT_EQ(Type(fr, {KEY_ENTER, KEY_BACKSPACE, KEY_ESC, KEY_TAB}), "");
  EXPECT_EQ(fr.Key(KEY_DELETE, true).text, "");
  EXPECT_EQ(fr.Key(KEY_E, false).text, "");
}

TEST(KeymapText, NoComposeTableStillTypes) {
  const char *saved = std::getenv("XLOCALEDIR");
  const std::string before = saved != nullptr ? saved : "";
  setenv("XLOCALEDIR", "/nonexistent", 1);
  Keymap fr;
  Layout(fr, "fr");
  EXPECT_EQ(Type(fr, {KEY_Q, KEY_LEFTBRACE, KEY_E}), "ae");
  saved != nullptr ? setenv("XLOCALEDIR", before.c_str(), 1)
                   : unsetenv("XLOCALEDIR");
}

TEST(KeymapVirtualKeys, ByKeysymThenByPlace) {
  Keymap none, fr, dvorak;
  EXPECT_EQ(Vk(none, KEY_Q), static_cast<UINT>('Q')); // no keymap: by place
  EXPECT_EQ(none.Key(KEY_Q, true).text, "");
  Layout(fr, "fr");
  Layout(dvorak, "us", "dvorak");
  EXPECT_EQ(Vk(fr, KEY_Q), static_cast<UINT>('A'));
  EXPECT_EQ(Vk(fr, KEY_SEMICOLON), static_cast<UINT>('M'));
  EXPECT_EQ(Vk(fr, KEY_1), static_cast<UINT>('1')); // "&": by place
  EXPECT_EQ(Vk(dvorak, KEY_SLASH), static_cast<UINT>('Z'));
  EXPECT_EQ(Vk(dvorak, KEY_S), static_cast<UINT>('O'));
  EXPECT_EQ(Vk(dvorak, KEY_1), static_cast<UINT>('1'));
  // The prompt's keys come through on any layout; a key with no
  // virtual key of its own is none.
  EXPECT_EQ(Vk(fr, KEY_KPENTER), static_cast<UINT>(VK_RETURN));
  EXPECT_EQ(Vk(fr, KEY_ESC), static_cast<UINT>(VK_ESCAPE));
  EXPECT_EQ(Vk(fr, KEY_MUTE), 0xFEu);
}

// A memfd holding `text`, `extra` NUL bytes after it, sealed against
// writing as compositors hand them.
int Memfd(const std::string &text, std::size_t extra = 1) {
  const int fd = memfd_create("keymap", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  const std::string bytes = text + std::string(extra, '\0');
  EXPECT_EQ(write(fd, bytes.data(), bytes.size()),
            static_cast<ssize_t>(bytes.size()));
  EXPECT_EQ(fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE),
            0);
  return fd;
}

TEST(KeymapLoad, FromACompositorsFdAndNotFromBadOnes) {
  xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  xkb_rule_names names{};
  names.layout = "fr";
  xkb_keymap *made = xkb_keymap_new_from_names(context, &names, {});
  char *made_text = xkb_keymap_get_as_string(made, XKB_KEYMAP_FORMAT_TEXT_V1);
  const std::string text = made_text;
  free(made_text);
  xkb_keymap_unref(made);
  xkb_context_unref(context);

  Keymap keys;
  const int good = Memfd(text);
  ASSERT_TRUE(keys.Load(good, static_cast<uint32_t>(text.size() + 1)));
  EXPECT_EQ(Type(keys, {KEY_Q, KEY_LEFTBRACE, KEY_E}), "a\xC3\xAA");
  // Codes past any keymap, masks of every bit: no harm, no text.
  keys.Modifiers(UINT32_MAX, UINT32_MAX, UINT32_MAX, UINT32_MAX);
  for (const uint32_t code : {UINT32_MAX, UINT32_MAX - 7, UINT32_MAX - 8,
                              0x10000u, 1000u, 0u}) {
    EXPECT_EQ(keys.Key(code, true).text, "") << code;
    keys.Key(code, false);
  }
  keys.Modifiers(0, 0, 0, 0);
  EXPECT_EQ(Type(keys, {KEY_Q}), "a");

  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  const int garbage = Memfd("xkb_keymap { garbage");
  const int unterminated = Memfd(text, 0);
  const int huge = Memfd(text, (2u << 20) - text.size());
  struct Bad {
    const char *what;
    int fd;
    uint32_t size;
  } const bad[] = {
      {"closed fd", -1, 4096},
      {"pipe", pipe_fds[0], 4096},
      {"size 0", good, 0},
      {"past the file's end", good, static_cast<uint32_t>(text.size()) + 8192},
      {"over 1 MiB", huge, 2u << 20},
      {"largest size", good, UINT32_MAX},
      {"not NUL terminated", unterminated, static_cast<uint32_t>(text.size())},
      {"garbage", garbage, 22},
  };
  for (const Bad &b : bad) {
    EXPECT_TRUE(keys.LoadNames("us", ""));
    EXPECT_FALSE(keys.Load(b.fd, b.size)) << b.what;
    EXPECT_FALSE(keys.Loaded()) << b.what;
    EXPECT_EQ(keys.Key(KEY_Q, true).virtualKey, static_cast<UINT>('Q'));
    EXPECT_EQ(keys.Key(KEY_Q, false).text, "");
  }
  for (const int fd : {good, garbage, unterminated, huge, pipe_fds[0],
                       pipe_fds[1]}) {
    close(fd);
  }
}

} // namespace
