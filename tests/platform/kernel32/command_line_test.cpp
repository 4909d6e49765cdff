// The command line rebuilt from the arguments the program was started with.
#include "leak_check.h"

namespace {

using Kernel = layer_test::LeakCheck;

TEST_F(Kernel, CommandLineQuotesWhatTheRuntimeWouldSplit) {
  const char *const argv[] = {"my saver.scr", "/p",  "",       "a\tb",
                              "q\"t",         "e\\", "x\\\"y", "sp ace\\"};
  EXPECT_EQ(platform::CommandLineFromArguments(8, argv),
            R"("my saver.scr" /p "" "a)"
            "\t"
            R"(b" "q\"t" e\ "x\\\"y" "sp ace\\")");
  EXPECT_EQ(platform::CommandLineFromArguments(0, nullptr), "");
  platform::SetCommandLine(nullptr);
  EXPECT_STREQ(GetCommandLineA(), "");
}

} // namespace
