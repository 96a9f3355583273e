#pragma once
// The Results Anthropometry page as plain values and text lines: for one index at a time, the
// prevalences with 95% intervals for all children, boys and girls, the oedema share, the mean and
// SD, the design effect and the counts of missing and excluded z-scores; for MUAC by age the
// three MUAC classes per age band; for the groupings Cluster and Age the group means.
//
//   ResultsPageInputs in = results_page_inputs(options_page, planning, separator);
//   in.index = ResultsIndex::whz;
//   const ResultsPageValues v = results_page_values(survey, in);
//   for (const std::string& line : MainTextResults(v, in, language)) show(line);
//
// The values are computed once from a fresh analysis table of the chosen index (its exclusion
// applied) and then laid out; the desktop page, olvar-cli and the results report read the same
// values.

#include <array>
#include <string>
#include <vector>

#include "core/language_table.h"
#include "core/options_page.h"
#include "core/survey_table.h"
#include "analysis/age_table_values.h"
#include "analysis/analysis_table.h"
#include "analysis/prevalence_values.h"
#include "stats/cluster_estimate.h"
#include "stats/column_summary.h"

namespace olvar::reports {

// The page's index buttons: `RadioButton7` Weight/Age, `RadioButton8` Height/Age,
// `RadioButton9` Weight/Height, `RadioButton4` MUAC.
enum class ResultsIndex { waz, haz, whz, muac };
// The grouping buttons: `RadioButton14` All, `RadioButton3` Sex, `RadioButton1` Cluster,
// `RadioButton2` Age.
enum class ResultsGrouping { all, sex, cluster, age };

// "WAZ", "HAZ", "WHZ" or "MUAC": the variable name the lines and graphs print.
std::string_view index_name(ResultsIndex index);
// The Survey table column of the index (13, 14, 15 or 12).
int index_column(ResultsIndex index);

struct ResultsPageInputs {
  ResultsIndex index = ResultsIndex::whz;
  ResultsGrouping grouping = ResultsGrouping::all;
  // Row selection, exclusion mode, flag bounds and the small-population correction (`csps1`).
  analysis::AnalysisOptions analysis;
  analysis::MuacCutoffs muac;
  std::vector<analysis::AgeGroup> age_groups;            // the five age groups of the Options page
};

// The inputs as the Options page and the Planning page hold them. Cut-offs that are not numbers
// above 0 take the defaults 115 and 125 mm; age groups whose bounds are not numbers are left out.
ResultsPageInputs results_page_inputs(const core::OptionsPage& options,
                                      const stats::PopulationCorrectionInputs& planning,
                                      char decimal_separator);

// One band of the MUAC classes by age: a = MUAC below the severe cut-off, b = between the
// cut-offs, c = at or above the moderate cut-off, over the children of the band with a MUAC
// above 0 (oedema plays no part: the three classes add up to the band's children).
struct MuacAgeBand {
  std::string label;   // "< 6", "6 to 17", ..., ">= 54"
  double lower = 0.0;  // months, lower <= MONTHS < upper
  double upper = 0.0;
  analysis::PrevalenceValues values;
};

// One bar of the group means (by cluster or by age band).
struct GroupMean {
  std::string label;  // the cluster code followed by a space, or the age-band label
  int n = 0;
  double mean = 0.0;
  double sd = 0.0;  // n - 1 in the denominator; 0 for fewer than two values
};

struct ResultsPageValues {
  ResultsIndex index = ResultsIndex::whz;
  ResultsGrouping grouping = ResultsGrouping::all;
  // The families of the index for all children, boys and girls (WHZ: wasting or oedema; WAZ,
  // HAZ: z below -2 / between -3 and -2 / below -3; MUAC: below the cut-offs or oedema).
  std::array<analysis::PrevalenceValues, 3> subsets;
  // Oedema among the children counted for wasting (WHZ present or oedema) of this table.
  int oedema = 0;
  double oedema_percent = 0.0;
  int oedema_n = 0;
  stats::ColumnSummary summary;  // present values of the index (MUAC above 0; |z| below 20)
  double design_effect = 1.0;    // of z < -2, or of MUAC below the moderate cut-off
  int missing_z = 0;             // counters of the analysis table's rebuild
  int excluded_z = 0;
  std::vector<MuacAgeBand> muac_bands;  // MUAC with the grouping Age
  std::vector<GroupMean> group_means;   // the groupings Cluster and Age (not MUAC by age)
  // Whether the small-population correction was applied, refused (sample larger than the
  // population: the caller tells Language entry 94) or not asked for.
  stats::PopulationCorrection population_correction = stats::PopulationCorrection::not_requested;
  // `csps1`: line 28 tells that the correction is in the intervals, or why it is not.
  bool correction_ticked = false;
  // Children with a value of the index whose CLUSTER is filled but not a whole number 1 ... 999:
  // they are in no prevalence above, and the lines say how many (Language entry 1351).
  int rows_with_unusable_cluster = 0;
};

// Every value the page shows for the inputs' index and grouping.
ResultsPageValues results_page_values(const core::SurveyTable& survey,
                                      const ResultsPageInputs& inputs);

// Age-band labels and bounds from the option age groups: "< L1", "L1 to U1", ..., "L4 to U4",
// ">= L5"; each band runs from its lower bound to the next band's lower bound.
std::vector<MuacAgeBand> age_bands(const std::vector<analysis::AgeGroup>& groups);

// The result lines of the page (`MainTextResults`, `ClusterCI_MUAC`, `ClusterCI_MUAC_AGE`, and
// the group-means memo of the groupings Cluster and Age), 1-based line k at index k - 1; empty
// lines stay empty. Windows-1252 text, as the Language table holds it. Children left out for
// their CLUSTER are counted on line 29, after every line of figures.
std::vector<std::string> MainTextResults(const ResultsPageValues& values,
                                         const ResultsPageInputs& inputs,
                                         const core::LanguageTable& text);

// A count line: label, n in 3 characters, "): (", count in 3, ") ", percent (3, 1), "% (",
// lower (3, 1), "-", upper (3, 1), " 95% CI)".
std::string count_line(std::string_view label, int n, const analysis::IndicatorValue& value,
                       char decimal_separator = '.');

// Writes `insert` into `line` from 0-based `column`, over blanks only: a line shorter than the
// column is padded with blanks first; where the place (or the character before it) holds text,
// the insert follows the line after one blank instead, so that no figure is ever overwritten.
std::string write_over(std::string line, std::size_t column, std::string_view insert);

}  // namespace olvar::reports
