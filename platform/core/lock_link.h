// The link between a screen lock's holder and the saver it runs on one
// output: a SOCK_SEQPACKET socket pair, one fixed-size message a packet, a
// descriptor passed along where the message says so. The saver draws into
// shared memory of its own that the holder hands to the compositor as it
// is; the holder passes the output's size, its input and the frame pacing
// back. Either side reads whatever the other sends as untrusted: a message
// of the wrong size, kind or range is dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform::detail::lock {

enum class Kind : uint32_t {
  // holder -> saver
  kScreen = 1, // a x b device pixels; desktop picture fd (a*b XRGB) or none
  kKey,        // a: virtual key, b: 1 down / 0 up, text: what it typed
  kPointer,    // a, b: where the pointer is, device pixels of the output
  kButton,     // a: VK_LBUTTON, VK_RBUTTON or VK_MBUTTON, b: down
  kReleased,   // a: the buffer the compositor let go of
  kFrame,      // a good time to commit the next picture
  kVerdict,    // a: 1 accepted, 0 refused
  // saver -> holder
  kBuffers, // fd: two a x b XRGB pictures one after the other
  kCommit,  // a: the buffer to show, boxes: what changed in it
  kCheck,   // text: the password to check
  kCursor,  // a: 1 shown, 0 hidden
};

inline constexpr std::size_t kMaxBoxes = 16;
// Past any password a PAM module takes, and past what the prompt keeps.
inline constexpr std::size_t kMaxText = 2048;

struct Box {
  int32_t left, top, right, bottom;
};

struct Message {
  Kind kind{};
  int32_t a = 0, b = 0;
  uint32_t boxCount = 0;
  Box boxes[kMaxBoxes]{};
  uint32_t textLength = 0;
  char text[kMaxText]{};
};

// A connected pair for a holder and one saver, both close-on-exec.
bool MakeLink(int ends[2]);
// Sends `message` (with `fd` when >= 0). False when the other side is gone.
bool Send(int link, const Message &message, int fd = -1);
// What Receive found.
enum class Got { kMessage, kDropped, kNothing, kClosed };
// Reads one message without waiting; a descriptor that came with it goes
// to `*fd` (else -1), and one that came unasked is closed. A malformed
// message is wiped and dropped (kDropped); kNothing: none is waiting.
Got Receive(int link, Message *message, int *fd);
// Wipes a message that carried a password.
void Wipe(Message *message);

// Whether `m` is well formed for its kind: sizes within kMaxFramebufferSide,
// counts within their arrays, text NUL-free where it must be.
bool WellFormed(const Message &m);

} // namespace platform::detail::lock
