#pragma once
// The weighted analysis: for surveys whose children were sampled with unequal probabilities,
// each child counts with its weighting factor (WTFACTOR) in a standard set of tables. Four sets
// (sexes combined, boys, girls, sexes combined by cluster), each with a table per index (WHZ,
// HAZ, WAZ): per row the weighted number of children, the weighted prevalences below -3 and -2
// z-scores (for WHZ also above +1, +2, +3) with their 95% intervals, and the weighted mean and
// SD. The figures are plain values; the table laid out from them is handed to the spreadsheet.
//
//   const WeightedAnalysis values = weighted_analysis_values(survey, options, inputs);
//   const document::DocumentBuffer table = weighted_analysis_table(values, language, '.');
//   HandToSpreadsheet(table, settings, folders, services);
//
// Every statistic reads the analysis table with the flagged z-scores of all three indices
// removed under the exclusion mode in force. A row's weight is its WTFACTOR read with the
// tolerant parse; a missing, unreadable or negative weight counts as 1.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/language_table.h"
#include "core/options_page.h"
#include "core/survey_table.h"
#include "document/document_buffer.h"
#include "stats/cluster_estimate.h"

namespace olvar::reports {

// The three indices of each set, in the order the tables come.
enum class WeightedIndex { whz, haz, waz };

// One prevalence cell: Σw of the eligible children, the weighted percentage of cases and its
// 95% interval (Wilson with fewer than two clusters, linearised over clusters otherwise). A cell
// with Σw of 0 has no value and is written as two empty cells.
struct WeightedPrevalence {
  double sum_w = 0.0;
  double cases_w = 0.0;
  double percent = 0.0;
  stats::IndicatorInterval interval;
  bool empty() const { return !(sum_w > 0.0); }
};

// Weighted mean and SD (Σw - 1 in the denominator; 0 when Σw is 1 or less) of the present
// z-scores; oedema never counts here. Without any weight there is no mean.
struct WeightedMean {
  double sum_w = 0.0;
  double mean = 0.0;
  double sd = 0.0;
  bool empty() const { return !(sum_w > 0.0); }
};

struct WeightedRow {
  std::string label;  // "Total", an age group "(6-17)" or a cluster code
  double n = 0.0;     // Σw of eligible children (for WHZ a child with oedema counts too)
  // WHZ: < -3 or oedema, < -2 or oedema, > +1, > +2, > +3; HAZ and WAZ: < -3, < -2.
  std::vector<WeightedPrevalence> cells;
  WeightedMean mean;
};

struct WeightedTable {
  WeightedIndex index = WeightedIndex::whz;
  std::vector<WeightedRow> rows;
};

// Sets 1 to 4: sexes combined, boys, girls, sexes combined by cluster.
struct WeightedSet {
  int number = 1;
  std::array<WeightedTable, 3> tables;
};

struct WeightedAnalysis {
  std::array<WeightedSet, 4> sets;
  bool who_reference = true;  // which reference the z-scores come from (for the footer)
  // Rows with a filled CLUSTER that is not a whole number 1 ... 999: they cannot be placed in
  // the cluster table and are left out of every cell, as the results report leaves them out.
  int rows_with_unusable_cluster = 0;
};

struct WeightedAnalysisInputs {
  char decimal_separator = '.';
  bool who_reference = true;  // the reference selector: WHO 2006 (else NCHS 1977)
  // Progress for the window caption: "Calculation of Line: N" per table line and, every 1000
  // rows while a line is worked out, ", Case No R" after it. May be empty.
  std::function<void(std::string_view)> show_progress;
};

// Builds every set from the Survey table and the Options page (exclusion mode and flag bounds,
// age and height selection, the five age groups).
WeightedAnalysis weighted_analysis_values(const core::SurveyTable& survey,
                                          const core::OptionsPage& options,
                                          const WeightedAnalysisInputs& inputs);

// Lays the values out as the tab-separated table the spreadsheet opens: cells joined by tabs,
// lines ended by a line feed, a title, the four sets and the footer.
document::DocumentBuffer weighted_analysis_table(const WeightedAnalysis& values,
                                                 const core::LanguageTable& text,
                                                 char decimal_separator);

// Language entry of the footer line that counts rows left out for their CLUSTER.
inline constexpr int kUnusableClusterEntry = 1450;

}  // namespace olvar::reports
