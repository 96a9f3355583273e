#pragma once
// The analysis table: the working copy of the Survey table on which every anthropometric
// statistic is computed. It selects rows (by age and height range and by a column value), gives
// records without cluster or team the defaults "1" and "999", and blanks the z-scores the
// exclusion mode rejects. The Survey table itself is never changed; each caller owns its copy.
//
//   AnalysisTable whz = SG6_uebergabe(survey, settings, Transfer::excluding(StdVar::whz));
//   ColumnSummary s = stats::DeskripStatCont(whz.table, core::column(StdVar::whz));

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/analysis_settings.h"
#include "anthro/flags.h"
#include "core/standard_variables.h"
#include "core/survey_table.h"
#include "core/text_grid.h"

namespace olvar::analysis {

// What one transfer takes: every row or only the rows whose cell in one column equals a text,
// and the z-score column the exclusion mode applies to, if any.
struct Transfer {
  int filter_column = -1;
  std::string filter_text;  // empty: every row passes
  int z_column = -1;        // negative: the table is only copied (no exclusion, no counters)

  // The selected rows, copied as they are.
  static Transfer copy() { return {}; }
  // The selected rows with the exclusion mode applied to `index` (WAZ, HAZ or WHZ); another
  // column only sets the missing counter.
  static Transfer excluding(core::StdVar index) { return excluding_column(core::column(index)); }
  static Transfer excluding_column(int z_column) { return {-1, {}, z_column}; }
  // The same restricted to the rows whose `variable` reads `text` (the heading row then stays
  // empty too).
  Transfer where(core::StdVar variable, std::string text) const {
    return {core::column(variable), std::move(text), z_column};
  }
};

struct AnalysisTable {
  core::TextGrid table;  // same shape as the Survey table; unselected rows stay empty
  int missing_z = 0;     // empty z-scores of rows with SEX, WEIGHT, HEIGHT or EDEMA filled
  int excluded_z = 0;    // z-scores blanked by the exclusion mode
  std::vector<float> scratch_z;  // parsed z-scores of the last transfer, reused by the next
};

// Rebuilds the analysis table: the rows the settings' ranges select and the transfer's filter
// lets pass, with the exclusion mode applied to the transfer's z-score column.
AnalysisTable SG6_uebergabe(const core::SurveyTable& survey, const AnalysisSettings& settings,
                            const Transfer& transfer);
// The same, reusing the cells of `into` (no allocation for a table of the same shape).
void SG6_uebergabe(const core::SurveyTable& survey, const AnalysisSettings& settings,
                   const Transfer& transfer, AnalysisTable& into);

// A copy of the whole Survey table (no row selection) with the flagged z-scores of all three
// indices blanked, the Kandu window taken around the means of the range-selected rows; records
// with an ID or a SEX but no CLUSTER get cluster "1".
AnalysisTable RemoveAllNonPlausible_Zscores(const core::SurveyTable& survey,
                                            const AnalysisSettings& settings);

}  // namespace olvar::analysis
