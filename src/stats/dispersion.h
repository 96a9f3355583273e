#pragma once
// The index of dispersion of case counts over clusters: whether cases are spread over the
// clusters as by chance (Poisson) or gathered in a few of them, for the plausibility report.

#include <optional>
#include <span>

namespace olvar::stats {

struct Dispersion {
  int clusters = 0;        // k
  double mean = 0.0;       // mean count per cluster
  double variance = 0.0;   // sample variance (k - 1)
  double index = 0.0;      // variance / mean; 1 for a Poisson spread
  double statistic = 0.0;  // (k - 1) * index, chi-square with k - 1 degrees of freedom
  double p = 1.0;          // ChiSquareUpperP(k - 1, statistic)
};

// nullopt when the mean count is 0 (no cases: nothing to judge) or there are fewer than two
// clusters (no variance).
std::optional<Dispersion> index_of_dispersion(std::span<const double> counts);

}  // namespace olvar::stats
