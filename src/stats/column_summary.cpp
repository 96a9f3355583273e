#include "stats/column_summary.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/text_conversions.h"

namespace olvar::stats {

namespace {

template <typename T>
MeanSd mean_sd_of(std::span<const T> values) {
  MeanSd r;
  r.n = static_cast<std::int64_t>(values.size());
  if (r.n == 0) return r;
  double sum = 0.0;
  for (const T x : values) sum += x;
  const double n = static_cast<double>(r.n);
  r.mean = sum / n;
  double squares = 0.0;
  for (const T x : values) squares += (x - r.mean) * (x - r.mean);
  r.sd = r.n >= 2 ? std::sqrt(squares / (n - 1.0)) : 0.0;
  return r;
}

}  // namespace

MeanSd mean_sd(std::span<const double> values) { return mean_sd_of(values); }
MeanSd mean_sd(std::span<const float> values) { return mean_sd_of(values); }

ColumnSummary DeskripStatCont(const core::TextGrid& table, int column, const RowFilter& filter) {
  ColumnSummary s;
  std::vector<float> values;
  values.reserve(static_cast<std::size_t>(std::max(0, table.row_count() - 1)));
  std::int64_t below2 = 0;
  std::int64_t below3 = 0;
  std::int64_t above2 = 0;
  for (int row = 1; row < table.row_count(); ++row) {
    if (!row_selected(table, row, filter)) continue;
    const std::string_view cell = table.cell(column, row);
    if (cell.empty()) continue;
    const float x = core::parse_tolerant(cell);
    if (x == core::kUnreadable) continue;
    values.push_back(x);
    if (values.size() == 1 || x < s.min) s.min = x;
    if (values.size() == 1 || x > s.max) s.max = x;
    if (x < -2.0f) ++below2;
    if (x < -3.0f) ++below3;
    if (x > 2.0f) ++above2;
  }
  s.n = static_cast<std::int64_t>(values.size());
  if (s.n == 0) return s;

  const double n = static_cast<double>(s.n);
  const MeanSd m = mean_sd(std::span<const float>(values));
  s.mean = m.mean;
  s.sd = m.sd;
  s.pct_below_minus2 = static_cast<double>(below2) / n * 100.0;
  s.pct_below_minus3 = static_cast<double>(below3) / n * 100.0;
  s.pct_above_plus2 = static_cast<double>(above2) / n * 100.0;

  // The value at position ceil(n/2) of the sorted list is the same whichever way it is found;
  // selection finds it in linear time.
  const auto middle = values.begin() + (s.n + 1) / 2 - 1;
  std::nth_element(values.begin(), middle, values.end());
  s.median = *middle;
  return s;
}

}  // namespace olvar::stats
