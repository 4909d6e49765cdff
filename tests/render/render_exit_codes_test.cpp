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
      // Unknown, repeated, out of range, a frame after the last step, an
      // option that needs another, a GIF delay past 16 bits, a NaN scale.
      {"", 2},
      {ok + "--bogus", 2},
      {ok + "--seed 2", 2},
      {"--seed 4294967296 --size 64x48 --steps 2", 2},
      {"--seed 1 --size 0x48 --steps 2", 2},
      {"--seed 1 --size 8193x8193 --steps 2", 2},
      {ok + "--png-at 3", 2},
      {ok + "--gif-every 2", 2},
      {ok + "--gif a.gif --gif-every 6554", 2},
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
