// gushmire-trace's command line: what it accepts and what it refuses.
#include "trace_args.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

bool Parse(std::initializer_list<const char *> args, TraceOptions &options) {
  std::vector<const char *> argv = {"gushmire-trace"};
  argv.insert(argv.end(), args);
  return ParseTraceArguments(static_cast<int>(argv.size()), argv.data(),
                             options);
}

TEST(TraceArguments, AcceptsEachFlagOnceInAnyOrder) {
  TraceOptions options;
  ASSERT_TRUE(Parse({"--steps", "5000", "--preview", "--size", "152x112",
                     "--seed", "4294967295"},
                    options));
  EXPECT_EQ(options.seed, 4294967295u);
  EXPECT_EQ(options.width, 152);
  EXPECT_EQ(options.height, 112);
  EXPECT_TRUE(options.preview);
  EXPECT_EQ(options.steps, 5000);

  ASSERT_TRUE(
      Parse({"--seed", "0", "--size", "65535x1", "--steps", "1"}, options));
  EXPECT_EQ(options.seed, 0u);
  EXPECT_EQ(options.width, 65535);
  EXPECT_FALSE(options.preview);
}

TEST(TraceArguments, RefusesAnythingElse) {
  const std::vector<std::vector<const char *>> bad = {
      {},
      {"--seed", "1", "--size", "640x480"},                 // no steps
      {"--size", "640x480", "--steps", "5"},                // no seed
      {"--seed", "1", "--steps", "5"},                      // no size
      {"--seed", "1", "--size", "640x480", "--steps"},      // missing value
      {"--seed", "1", "--size", "640x480", "--steps", "0"}, // zero steps
      {"--seed", "1", "--size", "640x480", "--steps", "-5"},
      {"--seed", "1", "--size", "640x480", "--steps", "1000000001"},
      {"--seed", "-1", "--size", "640x480", "--steps", "5"},
      {"--seed", "4294967296", "--size", "640x480", "--steps", "5"},
      {"--seed", "99999999999999999999999", "--size", "1x1", "--steps", "5"},
      {"--seed", "1x", "--size", "640x480", "--steps", "5"},
      {"--seed", "", "--size", "640x480", "--steps", "5"},
      {"--seed", "+1", "--size", "640x480", "--steps", "5"},
      {"--seed", "1", "--size", "0x480", "--steps", "5"},
      {"--seed", "1", "--size", "640x0", "--steps", "5"},
      {"--seed", "1", "--size", "65536x1", "--steps", "5"},
      {"--seed", "1", "--size", "640", "--steps", "5"},
      {"--seed", "1", "--size", "640x", "--steps", "5"},
      {"--seed", "1", "--size", "x480", "--steps", "5"},
      {"--seed", "1", "--size", "640x480x8", "--steps", "5"},
      {"--seed", "1", "--size", "640X480", "--steps", "5"},
      {"--seed", "1", "--size", " 640x480", "--steps", "5"},
      {"--seed", "1", "--size", "640x480", "--steps", "5", "--seed", "2"},
      {"--seed", "1", "--size", "640x480", "--steps", "5", "--preview",
       "--preview"},
      {"--seed", "1", "--size", "640x480", "--steps", "5", "--verbose"},
      {"--seed", "1", "--size", "640x480", "--steps", "5", "extra"},
      {"--seed=1", "--size", "640x480", "--steps", "5"},
  };
  for (const auto &args : bad) {
    std::vector<const char *> argv = {"gushmire-trace"};
    argv.insert(argv.end(), args.begin(), args.end());
    TraceOptions options;
    EXPECT_FALSE(ParseTraceArguments(static_cast<int>(argv.size()), argv.data(),
                                     options))
        << ::testing::PrintToString(args);
  }
}

} // namespace
