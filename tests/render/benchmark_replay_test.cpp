// A step replayed from a saved engine state must paint the same pixels and
// leave the same state, or the benchmarks would not measure one kind of step.
#include "animation_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

bool SameState(const EngineSnapshot &a, const EngineSnapshot &b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameSpans(const FloorJob &a, const FloorJob &b) {
  return std::equal(a.spans.begin(), a.spans.end(), b.spans.begin(),
                    b.spans.end(), [](const auto &p, const auto &q) {
                      return p.y == q.y && p.left == q.left &&
                             p.right == q.right;
                    });
}

TEST(BenchmarkFixture, SavedStatesReplayExactly) {
  ASSERT_NE(OpenSession(640, 480), nullptr);
  const SeriesPlan plan = PlanFirstSeries();
  for (LONG phase : {GrowSplat, Burst, RunDrips, RunFlood, PlaceSplat}) {
    const FloorJob first = CaptureStep(plan.typical[phase]);
    const EngineSnapshot after = SaveEngine();
    const FloorJob again = CaptureStep(plan.typical[phase]);
    EXPECT_TRUE(SameState(after, SaveEngine())) << phase;
    EXPECT_FALSE(SameState(after, plan.typical[phase])) << phase;
    EXPECT_TRUE(SameSpans(first, again)) << phase;
    EXPECT_EQ(first.Pixels() > 0, phase != PlaceSplat) << phase;
  }
}

} // namespace
