// gushmire-render's exit status: 2 for any bad command line, 1 when an input
// or output file fails, 0 otherwise.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace {

int RunProgram(const std::string &arguments) {
  const std::string command =
      std::string(GUSHMIRE_RENDER_PROGRAM) + " " + arguments + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RenderProgram, ExitCodes) {
  const std::string ok = "--seed 1 --size 64x48 --steps 2 ";
  const struct {
    std::string arguments;
    int status;
  } cases[] = {
      {"", 2},
      {"--size 64x48 --steps 2", 2},                   // no seed
      {ok + "--bogus", 2},                             // unknown
      {ok + "--seed 2", 2},                            // repeated
      {"--seed 4294967296 --size 64x48 --steps 2", 2}, // seed overflows
      {"--seed 1 --size 0x48 --steps 2", 2},
      {"--seed 1 --size 16385x1 --steps 2", 2},
      {"--seed 1 --size 8193x8193 --steps 2", 2}, // too many pixels
      {"--seed 1 --size 64x48 --steps 1.5", 2},
      {"--seed 1 --size 64x48 --steps 10000001", 2},
      {ok + "--png-at 3", 2},                   // after the last step
      {ok + "--png-at 1,1", 2},                 // twice
      {ok + "--png-dir out", 2},                // needs --png-at
      {ok + "--gif-every 2", 2},                // needs --gif
      {ok + "--gif a.gif --gif-every 6554", 2}, // delay overflows 16 bits
      {ok + "--gif a.gif --gif-scale nan", 2},
      {ok, 0},
      {"--seed 4294967295 --size 1x1 --steps 0", 0},
      {ok + "--gif /nonexistent/a.gif", 1},
      {ok + "--png-at 1 --png-dir /nonexistent", 1},
      {ok + "--background /nonexistent.png", 1},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(RunProgram(c.arguments), c.status) << c.arguments;
  }
}

} // namespace
