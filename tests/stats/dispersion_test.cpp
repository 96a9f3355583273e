#include "stats/dispersion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace olvar::stats {
namespace {

TEST(IndexOfDispersion, JudgesTheSpreadOfCasesOverClusters) {
  struct Case {
    const char* what;
    std::vector<double> counts;
    double index, statistic, p;
  };
  const Case kCases[] = {
      // Mean 4, variance (4 + 0 + 4) / 2 = 4: index 1, statistic 2 on 2 df, p = e^-1.
      {"Poisson-like", {2, 4, 6}, 1.0, 2.0, std::exp(-1.0)},
      // Mean 3, variance (9 + 9 + 36) / 2 = 27: index 9, statistic 18 on 2 df, p = e^-9.
      {"gathered in one cluster", {0, 0, 9}, 9.0, 18.0, std::exp(-9.0)},
      // Equal counts: variance 0, statistic 0, p = 1.
      {"perfectly even", {3, 3, 3, 3}, 0.0, 0.0, 1.0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const auto d = index_of_dispersion(c.counts);
    ASSERT_TRUE(d.has_value());
    EXPECT_NEAR(d->index, c.index, 1e-12);
    EXPECT_NEAR(d->statistic, c.statistic, 1e-12);
    EXPECT_NEAR(d->p, c.p, 1e-12);
  }
}

TEST(IndexOfDispersion, NothingWithoutCasesOrWithOneCluster) {
  EXPECT_FALSE(index_of_dispersion(std::vector<double>{0, 0, 0}).has_value());
  EXPECT_FALSE(index_of_dispersion(std::vector<double>{5}).has_value());
  EXPECT_FALSE(index_of_dispersion(std::vector<double>{}).has_value());
}

}  // namespace
}  // namespace olvar::stats
