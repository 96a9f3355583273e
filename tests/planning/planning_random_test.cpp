#include "planning/planning_random.h"

#include <gtest/gtest.h>

namespace olvar::planning {
namespace {

TEST(PlanningRandom, FollowsTheRecurrence) {
  // Seed 0: the state becomes 1, so Random(N) = N x 1 / 2^32 = 0. Next the state is
  // 134775813 + 1 = 134775814 and Random(1000) = 134775814000 / 2^32 = 31.38 -> 31.
  // Then 134775814 x 134775813 + 1 mod 2^32 = 3698175007 (Python's big integers), and
  // Random(10) = 36981750070 / 2^32 = 8.61 -> 8.
  PlanningRandom random(0);
  EXPECT_EQ(random.next(2000000000u), 0u);
  EXPECT_EQ(random.next(1000), 31u);
  EXPECT_EQ(random.state(), 134775814u);
  EXPECT_EQ(random.next(10), 8u);
  EXPECT_EQ(random.state(), 3698175007u);
}

TEST(PlanningRandom, StaysInItsRange) {
  PlanningRandom random(86399999);  // the last millisecond of a day
  for (int i = 0; i < 10000; ++i) ASSERT_LT(random.next(7), 7u);
  EXPECT_EQ(random.next(0), 0u);
}

TEST(ParseSeed, TakesWholeNumbersThatFitThirtyTwoBits) {
  EXPECT_EQ(parse_seed(" 42 "), 42u);
  EXPECT_EQ(parse_seed("4294967295"), 4294967295u);
  EXPECT_EQ(parse_seed("4294967296"), std::nullopt);
  EXPECT_EQ(parse_seed("-1"), std::nullopt);
  EXPECT_EQ(parse_seed("seed"), std::nullopt);
  EXPECT_LT(seed_from_time_of_day(), 86400000u);
}

}  // namespace
}  // namespace olvar::planning
