#include "render_options.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

bool Parse(std::initializer_list<const char *> arguments,
           RenderOptions &options) {
  std::vector<const char *> argv = {"gushmire-render"};
  argv.insert(argv.end(), arguments);
  return ParseRenderArguments(static_cast<int>(argv.size()), argv.data(),
                              options);
}

bool Parses(std::initializer_list<const char *> arguments) {
  RenderOptions options;
  return Parse(arguments, options);
}

TEST(RenderOptions, FullCommandLine) {
  RenderOptions options;
  ASSERT_TRUE(Parse({"--seed", "4294967295", "--size", "640x480", "--preview",
                     "--steps", "2200", "--png-at", "2100,0,60", "--png-dir",
                     "out", "--gif", "a.gif", "--gif-every", "3", "--gif-scale",
                     "0.5", "--background", "black"},
                    options));
  EXPECT_EQ(options.seed, 4294967295u);
  EXPECT_EQ(options.width, 640);
  EXPECT_EQ(options.height, 480);
  EXPECT_TRUE(options.preview);
  EXPECT_EQ(options.steps, 2200);
  EXPECT_EQ(options.pngAt, (std::vector<long>{0, 60, 2100}));
  EXPECT_EQ(options.pngDir, "out");
  EXPECT_EQ(options.gifPath, "a.gif");
  EXPECT_EQ(options.gifEvery, 3);
  EXPECT_DOUBLE_EQ(options.gifScale, 0.5);
  EXPECT_EQ(options.background, "black");

  ASSERT_TRUE(Parse({"--steps", "0", "--size", "1x1", "--seed", "0"}, options));
  EXPECT_TRUE(options.gifPath.empty());
  EXPECT_TRUE(options.pngAt.empty());
  EXPECT_EQ(options.background, "desktop");
}

TEST(RenderOptions, RejectsMissingRepeatedAndUnknown) {
  EXPECT_FALSE(Parses({}));
  EXPECT_FALSE(Parses({"--size", "640x480", "--steps", "1"}));
  EXPECT_FALSE(Parses({"--seed", "1", "--steps", "1"}));
  EXPECT_FALSE(Parses({"--seed", "1", "--size", "640x480"}));
  EXPECT_FALSE(Parses({"--seed", "1", "--size", "640x480", "--steps"}));
  EXPECT_FALSE(
      Parses({"--seed", "1", "--seed", "2", "--size", "9x9", "--steps", "1"}));
  EXPECT_FALSE(Parses({"--seed", "1", "--size", "9x9", "--steps", "1",
                       "--preview", "--preview"}));
  EXPECT_FALSE(
      Parses({"--seed", "1", "--size", "9x9", "--steps", "1", "--fast"}));
  EXPECT_FALSE(Parses({"--seed", "1", "--size", "9x9", "--steps", "1", "x"}));
}

TEST(RenderOptions, RejectsMalformedAndOutOfRangeNumbers) {
  for (const char *seed : {"", "-1", "+1", " 1", "1 ", "4294967296", "0x10",
                           "99999999999999999999999"}) {
    EXPECT_FALSE(Parses({"--seed", seed, "--size", "9x9", "--steps", "1"}))
        << seed;
  }
  for (const char *size : {"0x480", "640x0", "640", "640x", "x480", "640X480",
                           "16385x1", "-640x480", "8193x8193", "640x480x1"}) {
    EXPECT_FALSE(Parses({"--seed", "1", "--size", size, "--steps", "1"}))
        << size;
  }
  EXPECT_TRUE(Parses({"--seed", "1", "--size", "16384x4096", "--steps", "1"}));
  EXPECT_FALSE(Parses({"--seed", "1", "--size", "9x9", "--steps", "10000001"}));
  EXPECT_FALSE(Parses({"--seed", "1", "--size", "9x9", "--steps", "1.5"}));
}

TEST(RenderOptions, RejectsBadOutputOptions) {
  auto withSteps10 = [](const char *flag, const char *value) {
    return Parses({"--seed", "1", "--size", "9x9", "--steps", "10", "--gif",
                   "a.gif", flag, value});
  };
  EXPECT_TRUE(withSteps10("--png-at", "10"));
  EXPECT_FALSE(withSteps10("--png-at", "11"));   // after the last step
  EXPECT_FALSE(withSteps10("--png-at", "3,3"));  // twice
  EXPECT_FALSE(withSteps10("--png-at", "3,,4")); // empty entry
  EXPECT_FALSE(withSteps10("--png-at", "3,"));
  EXPECT_FALSE(withSteps10("--gif-every", "0"));
  EXPECT_TRUE(withSteps10("--gif-every", "6553"));
  EXPECT_FALSE(withSteps10("--gif-every", "6554")); // delay overflows
  EXPECT_FALSE(withSteps10("--gif-scale", "0"));
  EXPECT_FALSE(withSteps10("--gif-scale", "1.01"));
  EXPECT_FALSE(withSteps10("--gif-scale", "nan"));
  EXPECT_FALSE(withSteps10("--gif-scale", "-0.5"));
  EXPECT_FALSE(withSteps10("--gif", ""));
  // Options that only make sense with another.
  EXPECT_FALSE(Parses(
      {"--seed", "1", "--size", "9x9", "--steps", "1", "--gif-every", "2"}));
  EXPECT_FALSE(Parses(
      {"--seed", "1", "--size", "9x9", "--steps", "1", "--png-dir", "out"}));
}

int RunProgram(const std::string &arguments) {
  const std::string command =
      std::string(GUSHMIRE_RENDER_PROGRAM) + " " + arguments + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RenderProgram, ExitCodes) {
  EXPECT_EQ(RunProgram(""), 2);
  EXPECT_EQ(RunProgram("--seed 1 --size 64x48 --steps 2 --bogus"), 2);
  EXPECT_EQ(RunProgram("--seed 1 --size 64x48 --steps 2 --png-at 3"), 2);
  EXPECT_EQ(RunProgram("--seed 1 --size 64x48 --steps 2"), 0);
  EXPECT_EQ(
      RunProgram("--seed 1 --size 64x48 --steps 2 --gif /nonexistent/a.gif"),
      1);
  EXPECT_EQ(RunProgram("--seed 1 --size 64x48 --steps 2 --png-at 1 --png-dir "
                       "/nonexistent"),
            1);
  EXPECT_EQ(
      RunProgram(
          "--seed 1 --size 64x48 --steps 2 --background /nonexistent.png"),
      1);
}

} // namespace
