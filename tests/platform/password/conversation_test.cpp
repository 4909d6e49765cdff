// The answers the check child gives PAM's modules, odd questions included.
#include "password/conversation.h"

#include <gtest/gtest.h>
#include <security/pam_appl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using platform::detail::AllocateSecret;
using platform::detail::AnswerPam;
using platform::detail::Secret;
using platform::detail::WipeSecret;

class Conversation : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(AllocateSecret(secret, 6));
    std::memcpy(secret.text, "s3cret", 6);
  }
  void TearDown() override { WipeSecret(secret); }

  // Asks `styles` in one call; the responses are freed here.
  int Ask(const std::vector<int> &styles, std::vector<std::string> *answers) {
    std::vector<pam_message> messages(styles.size());
    std::vector<const pam_message *> pointers;
    for (std::size_t i = 0; i < styles.size(); ++i) {
      messages[i] = {styles[i], "Password: "};
      pointers.push_back(&messages[i]);
    }
    pam_response *responses = Sentinel();
    const int status = AnswerPam(static_cast<int>(styles.size()),
                                 pointers.data(), &responses, &secret);
    if (status != PAM_SUCCESS) {
      EXPECT_EQ(responses, Sentinel()) << "set on failure";
      return status;
    }
    for (std::size_t i = 0; i < styles.size(); ++i) {
      EXPECT_EQ(responses[i].resp_retcode, 0);
      if (answers != nullptr) {
        answers->push_back(responses[i].resp ? responses[i].resp : "(none)");
      }
      std::free(responses[i].resp);
    }
    std::free(responses);
    return status;
  }
  static pam_response *Sentinel() {
    static pam_response sentinel{};
    return &sentinel;
  }

  Secret secret;
};

TEST_F(Conversation, TheFirstHiddenPromptGetsThePasswordWhichIsThenWiped) {
  std::vector<std::string> answers;
  ASSERT_EQ(Ask({PAM_TEXT_INFO, PAM_PROMPT_ECHO_OFF, PAM_ERROR_MSG}, &answers),
            PAM_SUCCESS);
  EXPECT_EQ(answers, (std::vector<std::string>{"(none)", "s3cret", "(none)"}));
  EXPECT_EQ(secret.text, nullptr);
  EXPECT_EQ(secret.size, 0u);
  // Asked again (a new password, a code): nothing left to give.
  EXPECT_EQ(Ask({PAM_PROMPT_ECHO_OFF}, nullptr), PAM_CONV_ERR);
  // Messages alone still need no password.
  EXPECT_EQ(Ask({PAM_ERROR_MSG, PAM_TEXT_INFO}, nullptr), PAM_SUCCESS);
}

TEST_F(Conversation, RefusesWhatALockCannotAnswerAndLeavesNothingAllocated) {
  for (const auto &styles : std::vector<std::vector<int>>{
           {PAM_PROMPT_ECHO_ON},
           {PAM_TEXT_INFO, PAM_PROMPT_ECHO_ON},
           {0x7f},
           {-1},
           {PAM_PROMPT_ECHO_OFF, PAM_PROMPT_ECHO_OFF},
           {PAM_PROMPT_ECHO_OFF, PAM_PROMPT_ECHO_ON},
       }) {
    SetUp(); // a fresh password for each
    EXPECT_EQ(Ask(styles, nullptr), PAM_CONV_ERR) << styles.size();
  }
}

TEST_F(Conversation, RefusesMalformedCallsWithoutTouchingThem) {
  const pam_message prompt{PAM_PROMPT_ECHO_OFF, "Password: "};
  const pam_message *one[] = {&prompt};
  const pam_message *none[] = {nullptr};
  pam_response *responses = Sentinel();
  EXPECT_EQ(AnswerPam(0, one, &responses, &secret), PAM_CONV_ERR);
  EXPECT_EQ(AnswerPam(-3, one, &responses, &secret), PAM_CONV_ERR);
  EXPECT_EQ(AnswerPam(PAM_MAX_NUM_MSG + 1, one, &responses, &secret),
            PAM_CONV_ERR);
  EXPECT_EQ(AnswerPam(1, nullptr, &responses, &secret), PAM_CONV_ERR);
  EXPECT_EQ(AnswerPam(1, none, &responses, &secret), PAM_CONV_ERR);
  EXPECT_EQ(AnswerPam(1, one, nullptr, &secret), PAM_CONV_ERR);
  EXPECT_EQ(AnswerPam(1, one, &responses, nullptr), PAM_CONV_ERR);
  EXPECT_EQ(responses, Sentinel());
  EXPECT_STREQ(secret.text, "s3cret") << "spent on a refused call";
}

} // namespace
