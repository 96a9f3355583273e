#pragma once
// Sample skewness and excess kurtosis of a z-score column, for the plausibility report's
// judgement of the shape of each distribution, and the present values the Shapiro-Wilk test
// and these moments read.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/text_grid.h"

namespace olvar::stats {

// The values of `column` over data rows 1 ... row_count - 1 that are present for the shape
// statistics: parsed value above -99998 (an empty or unreadable cell parses to -99999).
std::vector<double> present_values(const core::TextGrid& table, int column);

struct SkewnessKurtosis {
  std::int64_t n = 0;
  double skewness = 0.0;         // n / ((n-1)(n-2)) * sum z^3
  double excess_kurtosis = 0.0;  // n(n+1) / ((n-1)(n-2)(n-3)) * sum z^4 - 3(n-1)^2 / ((n-2)(n-3))
};

// With z = (x - mean) / sd for each value and the mean and SD of the column summary: the
// adjusted Fisher-Pearson skewness G1 and excess kurtosis G2 (Joanes and Gill, The Statistician
// 47 (1998) 183-189, the forms of most statistics programs). nullopt for fewer than four values
// or an SD that is not positive (no shape to speak of).
std::optional<SkewnessKurtosis> skewness_kurtosis(std::span<const double> values, double mean,
                                                  double sd);

}  // namespace olvar::stats
