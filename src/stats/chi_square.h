#pragma once
// Pearson's chi-square test of observed counts against the counts a hypothesis expects (a sex
// ratio of one, the share of younger children in a population), shared by the plausibility
// checks of the anthropometric and the mortality data.
//
//   const ChiSquareTest t = chi_square_test(std::array{boys, girls}, std::array{half, half}, 1);
//   if (t.p < 0.05) warn();

#include <span>

namespace olvar::stats {

struct ChiSquareTest {
  double statistic = 0.0;  // the sum of (observed - expected)^2 / expected, cell by cell
  double p = 1.0;          // ChiSquareUpperP(degrees of freedom, statistic)
};

// The cells are taken in the order given; `observed` and `expected` have the same length and
// every expected count is above 0 (the callers test their totals first).
ChiSquareTest chi_square_test(std::span<const double> observed, std::span<const double> expected,
                              int degrees_of_freedom);

}  // namespace olvar::stats
