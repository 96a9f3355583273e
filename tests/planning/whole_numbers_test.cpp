#include "planning/whole_numbers.h"

#include <gtest/gtest.h>

#include <optional>

namespace olvar::planning {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, double> cases[] = {{2.5, 2},      {3.5, 4},    {-2.5, -2}, {0.5, 0},
                                             {1.5, 2},      {2.4, 2},    {2.6, 3},   {-3.5, -4},
                                             {245.86, 246}, {613.2, 613}};
  for (const auto& [value, expected] : cases) {
    SCOPED_TRACE(value);
    EXPECT_EQ(round_half_even(value), expected);
  }
}

TEST(ParseWholeNumber, TakesDigitsWithASignAndBlanksOnly) {
  const std::pair<const char*, std::optional<long long>> cases[] = {
      {"2000", 2000},
      {" 30 ", 30},
      {"-4", -4},
      {"+7", 7},
      {"", std::nullopt},
      {"1.5", std::nullopt},
      {"12a", std::nullopt},
      {"-", std::nullopt},
      {"1234567890123456789", std::nullopt}};
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(parse_whole_number(text), expected);
  }
}

}  // namespace
}  // namespace olvar::planning
