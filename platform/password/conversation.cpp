// Answers PAM's modules in the check child. Only the first hidden prompt
// gets the password, which is wiped as soon as PAM holds its own copy.
#include "password/conversation.h"

#include <security/pam_appl.h>
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

namespace platform::detail {
namespace {

void FreeResponses(pam_response *responses, int count) {
  for (int i = 0; i < count; ++i) {
    if (responses[i].resp != nullptr) {
      explicit_bzero(responses[i].resp, std::strlen(responses[i].resp));
      std::free(responses[i].resp);
    }
  }
  std::free(responses);
}

// PAM_SUCCESS, or why the message cannot be answered.
int Answer(const pam_message *message, pam_response &answer, Secret &secret) {
  if (message == nullptr) {
    return PAM_CONV_ERR;
  }
  switch (message->msg_style) {
  case PAM_PROMPT_ECHO_OFF:
    // A second hidden prompt asks for something else (a new password, a
    // one-time code) that a lock cannot answer.
    if (secret.text == nullptr) {
      return PAM_CONV_ERR;
    }
    answer.resp = strdup(secret.text);
    if (answer.resp == nullptr) {
      return PAM_BUF_ERR;
    }
    WipeSecret(secret);
    return PAM_SUCCESS;
  case PAM_ERROR_MSG:
  case PAM_TEXT_INFO:
    return PAM_SUCCESS; // shown to no one: nothing to answer
  default:
    // A visible prompt (a user name, a code) or a binary one: not ours.
    return PAM_CONV_ERR;
  }
}

} // namespace

bool AllocateSecret(Secret &secret, std::size_t size) {
  WipeSecret(secret);
  secret.text = static_cast<char *>(std::calloc(size + 1, 1));
  if (secret.text == nullptr) {
    return false;
  }
  secret.size = size;
  mlock(secret.text, size + 1);
  return true;
}

void WipeSecret(Secret &secret) {
  if (secret.text != nullptr) {
    explicit_bzero(secret.text, secret.size + 1);
    munlock(secret.text, secret.size + 1);
    std::free(secret.text);
  }
  secret = {};
}

// Linux-PAM's layout: `messages` is an array of `count` pointers. On
// failure nothing is left allocated and *responses is not touched.
int AnswerPam(int count, const pam_message **messages, pam_response **responses,
              void *secret) {
  if (count <= 0 || count > PAM_MAX_NUM_MSG || messages == nullptr ||
      responses == nullptr || secret == nullptr) {
    return PAM_CONV_ERR;
  }
  auto *answers = static_cast<pam_response *>(
      std::calloc(static_cast<std::size_t>(count), sizeof(pam_response)));
  if (answers == nullptr) {
    return PAM_BUF_ERR;
  }
  for (int i = 0; i < count; ++i) {
    const int status =
        Answer(messages[i], answers[i], *static_cast<Secret *>(secret));
    if (status != PAM_SUCCESS) {
      FreeResponses(answers, count);
      return status;
    }
  }
  *responses = answers;
  return PAM_SUCCESS;
}

} // namespace platform::detail
