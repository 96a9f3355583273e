#pragma once
// The summary of one column of the analysis table that every anthropometric report prints:
// count, mean, SD, extremes, median and the shares beyond -2, -3 and +2 z-scores.
//
//   const ColumnSummary whz = DeskripStatCont(analysis, 15);  // every row, WHZ
//   print(whz.pct_below_minus2);

#include <cstdint>
#include <span>

#include "core/text_grid.h"
#include "stats/row_filter.h"

namespace olvar::stats {

struct ColumnSummary {
  std::int64_t n = 0;  // values used
  double mean = 0.0;
  double sd = 0.0;  // sample SD (n - 1); 0 for fewer than two values
  double min = 0.0;
  double max = 0.0;
  double median = 0.0;            // the lower of the two middle values for an even count
  double pct_below_minus2 = 0.0;  // percentage of values < -2 (strictly)
  double pct_below_minus3 = 0.0;  // percentage of values < -3 (strictly)
  double pct_above_plus2 = 0.0;   // percentage of values > +2 (strictly)
};

// Summarises the present values of `column` over the data rows (1 ... row_count - 1) that pass
// the filter. A value is present when its cell is non-empty and parses to something other than
// the unreadable mark -99999. Without present values every field is 0.
//
// The median is the value at position ceil(n/2) of the sorted values, the rule the reports have
// always printed; a single value is its own median. There is no limit on the number of values
// (the table's rows bound it): counts beyond 65,535 are summarised like any other.
// Mean and sample SD (n - 1 in the denominator; 0 for fewer than two values) of plain values,
// summed in double precision in the order given: the two figures every summary starts from.
struct MeanSd {
  std::int64_t n = 0;
  double mean = 0.0;
  double sd = 0.0;
};
MeanSd mean_sd(std::span<const double> values);
MeanSd mean_sd(std::span<const float> values);

ColumnSummary DeskripStatCont(const core::TextGrid& table, int column,
                              const RowFilter& filter = RowFilter::all_rows());

}  // namespace olvar::stats
