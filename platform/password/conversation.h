// The check child's side of PAM's conversation: the password as the child
// holds it, and the answers it gives PAM's modules.
#pragma once

#include <cstddef>

struct pam_message;
struct pam_response;

namespace platform::detail {

// A password: `size` bytes and a NUL, for PAM, which takes C strings.
struct Secret {
  char *text = nullptr;
  std::size_t size = 0;
};

// Room for a password of `size` bytes, kept out of swap where the limits
// allow; false when there is no memory.
bool AllocateSecret(Secret &secret, std::size_t size);
// Wipes and frees it; an empty Secret after.
void WipeSecret(Secret &secret);

// PAM's conversation function (pam_conv(3)), with a Secret as its data.
int AnswerPam(int count, const pam_message **messages, pam_response **responses,
              void *secret);

} // namespace platform::detail
