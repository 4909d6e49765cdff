// The password tests run under pam_wrapper, whatever starts them: without
// it in the environment, the program puts it there and starts itself again,
// so no test ever reaches the system's PAM.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

int main(int argc, char **argv) {
  const char *wrapper = std::getenv("PAM_WRAPPER");
  if (wrapper == nullptr || std::string(wrapper) != "1") {
    std::string asan = "verify_asan_link_order=0"; // pam_wrapper goes first
    if (const char *options = std::getenv("ASAN_OPTIONS")) {
      asan = std::string(options) + ":" + asan;
    }
    setenv("ASAN_OPTIONS", asan.c_str(), 1);
    setenv("LD_PRELOAD", GUSHMIRE_PAM_WRAPPER_LIBRARY, 1);
    setenv("PAM_WRAPPER", "1", 1);
    setenv("PAM_WRAPPER_SERVICE_DIR", GUSHMIRE_PAM_SERVICE_DIR, 1);
    // No deep binding, which the sanitizers refuse; pam_wrapper 1.1.4 reads
    // the second name.
    setenv("PAM_WRAPPER_DISABLE_DEEPBIND", "1", 1);
    setenv("UID_WRAPPER_DISABLE_DEEPBIND", "1", 1);
    execv("/proc/self/exe", argv);
    return 127;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
