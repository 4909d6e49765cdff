// The run options every tool shares, under each tool's limits.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "render_options.h"
#include "run_options.h"

namespace {

// The words of `line`, after the tool's name; they live as long as `line`.
std::vector<const char *> Words(std::string &line) {
  std::vector<const char *> argv{"tool"};
  for (char *word = line.data(); *word != '\0';) {
    argv.push_back(word);
    while (*word != '\0' && *word != ' ') {
      ++word;
    }
    if (*word == ' ') {
      *word++ = '\0';
    }
  }
  return argv;
}

bool Parse(std::string line, const RunLimits &limits, RunOptions &run,
           const ExtraOption &extra = nullptr) {
  const std::vector<const char *> argv = Words(line);
  return ParseRunArguments(static_cast<int>(argv.size()), argv.data(), limits,
                           run, extra);
}

bool ParseRender(std::string line, RenderOptions &options) {
  const std::vector<const char *> argv = Words(line);
  return ParseRenderArguments(static_cast<int>(argv.size()), argv.data(),
                              options);
}

TEST(RunOptions, EachToolsLimitsAndNothingMalformed) {
  RunOptions run;
  ASSERT_TRUE(Parse("--steps 1000000000 --preview --size 65535x65535 "
                    "--seed 4294967295",
                    kTraceLimits, run));
  EXPECT_EQ(run.seed, 4294967295u);
  EXPECT_EQ(run.width, 65535);
  EXPECT_TRUE(run.preview);
  EXPECT_EQ(run.steps, 1000000000L);
  const RunLimits render{16384, 1L << 26, 0, 10000000L};
  EXPECT_TRUE(Parse("--seed 0 --size 8192x8192 --steps 0", render, run));
  for (const char *bad :
       {"--seed 0 --size 8192x8193 --steps 0", // more than 2^26 pixels
        "--seed 0 --size 16385x1 --steps 0", "--seed 0 --size 1x1 --steps -1",
        "--seed 4294967296 --size 1x1 --steps 1", "--seed 0 --size 1x1",
        "--seed 0 --size 1x1 --steps", "--seed 0 --seed 0 --size 1x1 --steps 1",
        "--preview --preview --seed 0 --size 1x1 --steps 1",
        "--seed +1 --size 1x1 --steps 1", "--seed 0 --size 1x1x1 --steps 1",
        "--seed 0 --size x1 --steps 1",
        "--seed 0 --size 1x1 --steps 1 --x 1"}) {
    EXPECT_FALSE(Parse(bad, render, run)) << bad;
  }
  // The trace takes no zero steps.
  EXPECT_FALSE(Parse("--seed 0 --size 1x1 --steps 0", kTraceLimits, run));
}

TEST(RunOptions, ToolsOwnOptionsComeWithTheirValues) {
  std::vector<std::string> seen;
  const ExtraOption extra = [&seen](std::string_view option,
                                    std::string_view value) {
    seen.push_back(std::string(option) + "=" + std::string(value));
    return option == "--png-dir";
  };
  RunOptions run;
  EXPECT_TRUE(Parse("--png-dir out --seed 1 --size 2x3 --steps 4", kTraceLimits,
                    run, extra));
  EXPECT_FALSE(Parse("--seed 1 --size 2x3 --steps 4 --png-dir a --png-dir b",
                     kTraceLimits, run, extra));
  EXPECT_FALSE(
      Parse("--seed 1 --size 2x3 --steps 4 --gif a", kTraceLimits, run, extra));
  EXPECT_EQ(seen, (std::vector<std::string>{"--png-dir=out", "--png-dir=a",
                                            "--gif=a"}));

  RenderOptions options;
  ASSERT_TRUE(ParseRender("--gif-every 3 --seed 9 --size 4x4 --gif g.gif "
                          "--steps 6 --png-at 6,0",
                          options));
  EXPECT_EQ(options.seed, 9u);
  EXPECT_EQ(options.gifEvery, 3);
  EXPECT_EQ(options.pngAt, (std::vector<long>{0, 6}));
  // A snapshot past the last step, and GIF options without a GIF.
  EXPECT_FALSE(
      ParseRender("--seed 1 --size 4x4 --steps 5 --png-at 6", options));
  EXPECT_FALSE(
      ParseRender("--seed 1 --size 4x4 --steps 5 --gif-scale 0.5", options));
}

} // namespace
