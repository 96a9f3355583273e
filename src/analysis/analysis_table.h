#pragma once
// The analysis table: the working copy of the Survey table on which every anthropometric
// statistic is computed. It selects rows (by age and height range and by a column value), gives
// records without cluster or team the defaults "1" and "999", and blanks the z-scores the
// exclusion mode rejects. The Survey table itself is never changed; each caller owns its copy.
//
//   AnalysisTable whz = SG6_uebergabe(survey, options, -1, core::column(StdVar::whz), "");
//   ColumnSummary s = stats::DeskripStatCont(whz.table, core::column(StdVar::whz));

#include <string>
#include <string_view>
#include <vector>

#include "anthro/flags.h"
#include "core/survey_table.h"
#include "core/text_grid.h"

namespace olvar::analysis {

// Row selection of the Options page: the age range `zr` (months) and the height range `zh`
// (cm), each on or off, bounds included. Bounds are held as the edit boxes hold them.
struct AnalysisSelection {
  bool zr = false;
  std::string zrl = "6";
  std::string zrh = "59.99";
  bool zh = false;
  std::string zhl = "67";
  std::string zhh = "110";
};

struct AnalysisOptions {
  AnalysisSelection selection;
  anthro::ExclusionMode mode = anthro::kDefaultExclusionMode;
  anthro::FlagParameters flags;
  char decimal_separator = '.';
};

struct AnalysisTable {
  core::TextGrid table;  // same shape as the Survey table; unselected rows stay empty
  int missing_z = 0;     // empty z-scores of rows with SEX, WEIGHT, HEIGHT or EDEMA filled
  int excluded_z = 0;    // z-scores blanked by the exclusion mode
  std::vector<float> scratch_z;  // parsed z-scores of the last transfer, reused by the next
};

// Rebuilds the analysis table. An empty `filter_text` lets every row pass the column filter;
// otherwise only rows whose cell in `filter_column` equals it (the heading row then stays empty
// too). With `z_column` 13, 14 or 15 (WAZ, HAZ, WHZ) the exclusion mode is applied to that column
// and the counters are set; with a negative `z_column` the table is only copied.
AnalysisTable SG6_uebergabe(const core::SurveyTable& survey, const AnalysisOptions& options,
                            int filter_column, int z_column, std::string_view filter_text);
// The same, reusing the cells of `into` (no allocation for a table of the same shape).
void SG6_uebergabe(const core::SurveyTable& survey, const AnalysisOptions& options,
                   int filter_column, int z_column, std::string_view filter_text,
                   AnalysisTable& into);

// A copy of the whole Survey table (no row selection) with the flagged z-scores of all three
// indices blanked, the Kandu window taken around the means of the range-selected rows; records
// with an ID or a SEX but no CLUSTER get cluster "1".
AnalysisTable RemoveAllNonPlausible_Zscores(const core::SurveyTable& survey,
                                            const AnalysisOptions& options);

}  // namespace olvar::analysis
