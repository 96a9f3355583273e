#include "stats/shape_statistics.h"

#include <cmath>

#include "core/text_conversions.h"

namespace olvar::stats {

std::vector<double> present_values(const core::TextGrid& table, int column) {
  std::vector<double> values;
  for (int row = 1; row < table.row_count(); ++row) {
    const float x = core::parse_tolerant(table.cell(column, row));
    if (x > -99998.0f) values.push_back(x);
  }
  return values;
}

std::optional<SkewnessKurtosis> skewness_kurtosis(std::span<const double> values, double mean,
                                                  double sd) {
  if (values.size() < 4 || !(sd > 0.0) || !std::isfinite(sd) || !std::isfinite(mean)) {
    return std::nullopt;
  }
  double sum3 = 0.0;
  double sum4 = 0.0;
  for (double x : values) {
    const double z = (x - mean) / sd;
    const double z2 = z * z;
    sum3 += z2 * z;
    sum4 += z2 * z2;
  }
  const double n = static_cast<double>(values.size());
  SkewnessKurtosis result;
  result.n = static_cast<std::int64_t>(values.size());
  result.skewness = n / ((n - 1.0) * (n - 2.0)) * sum3;
  result.excess_kurtosis = n * (n + 1.0) / ((n - 1.0) * (n - 2.0) * (n - 3.0)) * sum4 -
                           3.0 * (n - 1.0) * (n - 1.0) / ((n - 2.0) * (n - 3.0));
  return result;
}

}  // namespace olvar::stats
