// A test that must leave no layer object behind. The registry values and
// stand-in modules it added go first, so they are not counted as leaks.
#pragma once

#include <gtest/gtest.h>

#include "layer_headless.h"

namespace layer_test {

class LeakCheck : public ::testing::Test {
protected:
  void SetUp() override { live = platform::LiveObjectCount(); }
  void TearDown() override {
    platform::ClearRegistry();
    platform::RemoveModules();
    EXPECT_EQ(platform::LiveObjectCount(), live);
  }
  std::size_t live = 0;
};

} // namespace layer_test
