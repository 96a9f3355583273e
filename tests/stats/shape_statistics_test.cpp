#include "stats/shape_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis_table_fixture.h"

namespace olvar::stats {
namespace {

TEST(SkewnessKurtosis, MatchesThePublishedSpreadsheetExample) {
  // Microsoft's documentation of SKEW and KURT (the same adjusted G1 and G2) uses the values
  // 3, 4, 5, 2, 3, 4, 5, 6, 4, 7: SKEW = 0.359543, KURT = -0.151799637. Mean 4.3; squared
  // deviations sum to 20.1, so the sample SD is sqrt(20.1 / 9).
  const std::vector<double> x = {3, 4, 5, 2, 3, 4, 5, 6, 4, 7};
  const auto r = skewness_kurtosis(x, 4.3, std::sqrt(20.1 / 9.0));
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->n, 10);
  EXPECT_NEAR(r->skewness, 0.359543, 1e-6);
  EXPECT_NEAR(r->excess_kurtosis, -0.151799637, 1e-9);
}

TEST(SkewnessKurtosis, NeedsFourValuesAndASpread) {
  EXPECT_FALSE(skewness_kurtosis(std::vector<double>{1, 2, 3}, 2.0, 1.0).has_value());
  EXPECT_FALSE(skewness_kurtosis(std::vector<double>{1, 1, 1, 1}, 1.0, 0.0).has_value());
  // Symmetric values: no skew. 1, 2, 3, 4: mean 2.5, SD sqrt(5/3); sum z^4 = 2 (1.5^4 + 0.5^4)
  // / (5/3)^2 = 10.25 / 2.7778 = 3.69; G2 = 20/6 * 3.69 - 3 * 9/2 = 12.3 - 13.5 = -1.2.
  const auto r = skewness_kurtosis(std::vector<double>{1, 2, 3, 4}, 2.5, std::sqrt(5.0 / 3.0));
  ASSERT_TRUE(r.has_value());
  EXPECT_NEAR(r->skewness, 0.0, 1e-12);
  EXPECT_NEAR(r->excess_kurtosis, -1.2, 1e-12);
}

TEST(PresentValues, TakesValuesAboveTheMissingMark) {
  testing::AnalysisTable t;
  t.add_whz({"-1.5", "", "abc", "-99999", "-99998.5", "-99997.5", "2,25", "-20"});
  EXPECT_EQ(present_values(t.grid(), testing::AnalysisTable::kWhz),
            (std::vector<double>{-1.5, -99997.5, 2.25, -20}));
}

}  // namespace
}  // namespace olvar::stats
