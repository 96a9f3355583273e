#include "planning/random_number_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "planning/whole_numbers.h"

namespace olvar::planning {
namespace {

using ::testing::HasSubstr;

TEST(RandomNumberTable, TheWholeRangeGivesAPermutation) {
  for (std::uint32_t seed = 0; seed < 50; ++seed) {
    PlanningRandom random(seed);
    RandomNumberDraw draw = draw_random_numbers({"1", "10", "10"}, random);
    ASSERT_TRUE(draw.drawn()) << draw.message;
    std::sort(draw.numbers.begin(), draw.numbers.end());
    EXPECT_EQ(draw.numbers, (std::vector<long long>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  }
}

TEST(RandomNumberTable, DrawsDistinctNumbersInsideTheRange) {
  PlanningRandom random(7);
  const RandomNumberDraw draw = draw_random_numbers({"100", "350", "40"}, random);
  ASSERT_TRUE(draw.drawn());
  ASSERT_EQ(draw.numbers.size(), 40u);
  EXPECT_EQ(std::set<long long>(draw.numbers.begin(), draw.numbers.end()).size(), 40u);
  for (const long long n : draw.numbers) {
    EXPECT_GE(n, 100);
    EXPECT_LE(n, 350);
  }
}

TEST(RandomNumberTable, InputOutsideTheRulesIsRefused) {
  struct Case {
    const char* what;
    RandomNumberInputs inputs;
    int entry;
    const char* message;
  };
  const Case cases[] = {
      {"more numbers than the range holds", {"1", "10", "11"}, 889, ""},
      {"an empty count", {"1", "10", ""}, 889, ""},
      {"no lower bound", {"", "10", "3"}, 889, ""},
      {"a range turned round", {"10", "1", "3"}, 889, ""},
      {"a count of 0", {"1", "10", "0"}, 889, ""},
      {"a bound that is not a number",
       {"one", "10", "3"},
       0,
       "Range from: \"one\" is not a number"},
      {"a count that is not a whole number",
       {"1", "10", "2.5"},
       0,
       "\"2.5\" is not a whole number"},
      {"too many numbers", {"0", "4000000", "1000001"}, 0, "At most 1000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlanningRandom random(1);
    const RandomNumberDraw draw = draw_random_numbers(c.inputs, random);
    EXPECT_FALSE(draw.drawn());
    EXPECT_TRUE(draw.numbers.empty());
    EXPECT_EQ(draw.message_entry, c.entry);
    EXPECT_THAT(draw.message, HasSubstr(c.message));
  }
}

TEST(RandomNumberTable, BoundsOnAHalfHoldFewerValuesAndTheDrawStopsWithAReason) {
  // From 0.5 to 2.5: N = 3 candidates 0.5, 1.5, 2.5, which round to 0, 2 and 2.
  PlanningRandom random(3);
  const RandomNumberDraw refused = draw_random_numbers({"0.5", "2.5", "3"}, random);
  EXPECT_FALSE(refused.drawn());
  EXPECT_THAT(refused.message, HasSubstr("holds only 2 different whole numbers"));
  RandomNumberDraw two = draw_random_numbers({"0.5", "2.5", "2"}, random);
  ASSERT_TRUE(two.drawn());
  std::sort(two.numbers.begin(), two.numbers.end());
  EXPECT_EQ(two.numbers, (std::vector<long long>{0, 2}));
}

TEST(RandomNumberTable, DistinctValuesAgreeWithCountingThemOneByOne) {
  for (const double from : {0.0, 0.5, 1.5, 2.5, 3.25, 7.5, 10.75}) {
    for (long long count = 1; count < 40; ++count) {
      std::set<long long> values;
      for (long long i = 0; i < count; ++i) {
        values.insert(static_cast<long long>(round_half_even(static_cast<double>(i) + from)));
      }
      EXPECT_EQ(distinct_rounded_values(from, count), static_cast<long long>(values.size()))
          << from << " " << count;
    }
  }
}

TEST(RandomNumberTable, DocumentLayout) {
  const document::DocumentBuffer doc = random_number_document({"1", "10", "3"}, {7, 2, 9});
  EXPECT_EQ(doc.text(),
            std::string(document::rtf::kHeaderWithoutMargins) +
                R"(Random Number table \b0\fs24\par \par Range: 1 to 10, Number: 3\par\par )"
                "7\t2\t9\t"
                R"(\par\pard\par )");
}

}  // namespace
}  // namespace olvar::planning
