// gushmire-trace's command line: what it accepts and what it refuses.
#include "trace_args.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool Parse(const std::vector<const char *> &args, TraceOptions &options) {
  std::vector<const char *> argv = {"gushmire-trace"};
  argv.insert(argv.end(), args.begin(), args.end());
  return ParseTraceArguments(static_cast<int>(argv.size()), argv.data(),
                             options);
}

TEST(TraceArguments, AcceptsEachFlagOnceInAnyOrder) {
  TraceOptions options;
  ASSERT_TRUE(Parse({"--steps", "5000", "--preview", "--size", "65535x112",
                     "--seed", "4294967295"},
                    options));
  EXPECT_EQ(options.seed, 4294967295u);
  EXPECT_EQ(options.width, 65535);
  EXPECT_EQ(options.height, 112);
  EXPECT_TRUE(options.preview);
  EXPECT_EQ(options.steps, 5000);
}

TEST(TraceArguments, RefusesAnythingElse) {
  const std::vector<std::vector<const char *>> bad = {
      {},
      {"--seed", "1", "--size", "640x480"},            // no steps
      {"--seed", "1", "--size", "640x480", "--steps"}, // missing value
      {"--seed", "1", "--size", "640x480", "--steps", "0"},
      {"--seed", "1", "--size", "640x480", "--steps", "1000000001"},
      {"--seed", "-1", "--size", "640x480", "--steps", "5"},
      {"--seed", "4294967296", "--size", "640x480", "--steps", "5"},
      {"--seed", "1x", "--size", "640x480", "--steps", "5"},
      {"--seed", "1", "--size", "0x480", "--steps", "5"},
      {"--seed", "1", "--size", "65536x1", "--steps", "5"},
      {"--seed", "1", "--size", "640x480x8", "--steps", "5"},
      {"--seed", "1", "--size", "640x480", "--steps", "5", "--seed", "2"},
      {"--seed", "1", "--size", "640x480", "--steps", "5", "extra"},
  };
  for (const auto &args : bad) {
    TraceOptions options;
    EXPECT_FALSE(Parse(args, options)) << ::testing::PrintToString(args);
  }
}

} // namespace
