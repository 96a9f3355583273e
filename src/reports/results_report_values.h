#pragma once
// The figures of the results report for one reference, as plain values: the age and sex
// distribution, every prevalence family with its interval (all, boys, girls), the age tables,
// oedema against severe wasting, the mean z-scores with their design effects and the overlap of
// the MUAC and WHZ case definitions. results_report.h lays them out into the template; tests
// check these values.
//
//   const EvaluatedSurvey who = evaluate_for_report(workspace.survey, settings, who_table);
//   const ReferenceValues v = Write_Report_values(who, report_inputs(options, '.'));
//   v.family("#02").a.percent;   // global acute malnutrition by WHZ, all children

#include <array>
#include <map>
#include <string>
#include <vector>

#include "anthro/row_evaluation.h"
#include "anthro/who_reference.h"
#include "core/options_page.h"
#include "core/survey_table.h"
#include "analysis/age_table_values.h"
#include "analysis/analysis_table.h"
#include "analysis/prevalence_values.h"

namespace olvar::reports {

// What the report reads from the Options page, parsed once.
struct ReportInputs {
  // Row selection, exclusion mode and its bounds, and the Planning page's small-population
  // correction, applied as the results page applies it: the report's intervals must be those the
  // page shows at the same moment.
  analysis::AnalysisOptions analysis;
  analysis::MuacCutoffs muac;              // `muac1` (severe) and `muac2` (moderate)
  std::string muac_severe_text;  // the cut-offs as the report prints them
  std::string muac_moderate_text;
  std::vector<analysis::AgeGroup> groups;             // age groups 1 ... 5 (`Edit2` ... `Edit11`)
  std::array<std::string, 5> group_labels;  // lower + "-" + upper, as the page shows them
  char decimal_separator = '.';
};

// The inputs of an Options page and of the Planning page's small-population correction. A MUAC
// cut-off that does not read as a number above 0 takes its default (115 / 125 mm), as saving
// the options would store it.
ReportInputs report_inputs(const core::OptionsPage& options, char decimal_separator,
                           const stats::PopulationCorrectionInputs& planning = {});

// The survey as one reference sees it: a copy with every row evaluated (codes, MONTHS and the
// z-scores of that reference) and, per row, the weight-for-height percent of median of the
// engine (0 when not computed). The caller's survey is never changed.
struct EvaluatedSurvey {
  core::SurveyTable survey;
  std::vector<double> whz_percent_of_median;  // index = row
};
EvaluatedSurvey evaluate_for_report(const core::SurveyTable& survey,
                                    const anthro::RowEvaluationSettings& settings,
                                    const anthro::WhoReference& who);
// The same on a copy made before: every row evaluated again (under another reference).
void evaluate_for_report(EvaluatedSurvey& evaluated, const anthro::RowEvaluationSettings& settings,
                         const anthro::WhoReference& who);

// Boys and girls (SEX "m" / "f") of one age group.
struct AgeSexCounts {
  int boys = 0;
  int girls = 0;
  int total() const { return boys + girls; }
};

// Children with CLUSTER filled, by oedema and severe wasting (WHZ < -3).
struct OedemaWasting {
  int oedema_severe = 0;  // oedema and WHZ < -3
  int oedema_only = 0;    // oedema and WHZ >= -3 (or not computable)
  int severe_only = 0;    // no oedema, WHZ < -3
  int neither = 0;        // no oedema, WHZ >= -3
  int total() const { return oedema_severe + oedema_only + severe_only + neither; }
};

// One index over its analysis table: what the results page prints below its prevalences.
struct MeanValues {
  int n = 0;  // present z-scores
  double mean = 0.0;
  double sd = 0.0;
  double design_effect = 1.0;  // of z < -2, from the by-cluster summary
  int missing = 0;             // z-score empty while SEX, WEIGHT, HEIGHT or EDEMA is filled
  int excluded = 0;            // z-scores the exclusion mode blanked
};

// Overlap of the MUAC and WHZ case definitions among the children of the combined family
// ("#30"). A missing MUAC counts as 145 mm and a missing or excluded WHZ as 0 here.
struct OverlapValues {
  int n = 0;
  int muac_severe_only = 0;    // MUAC < severe, WHZ >= -3, no oedema
  int whz_severe_only = 0;     // MUAC >= severe, WHZ < -3, no oedema
  int both_severe = 0;         // MUAC < severe and WHZ < -3, no oedema
  int muac_moderate_only = 0;  // MUAC < moderate, WHZ >= -2, no oedema
  int whz_moderate_only = 0;   // MUAC >= moderate, WHZ < -2, no oedema
  int both_moderate = 0;       // MUAC < moderate and WHZ < -2, no oedema
  int oedema = 0;
  int severe_total() const { return muac_severe_only + whz_severe_only + both_severe + oedema; }
  int moderate_total() const {
    return muac_moderate_only + whz_moderate_only + both_moderate + oedema;
  }
};

// Indices of ReferenceValues::means.
enum class MeanIndex { whz = 0, waz = 1, haz = 2 };

struct ReferenceValues {
  std::array<AgeSexCounts, 6> age_sex;  // groups 1 ... 5, then the whole range
  // Keyed by the marker prefix of the family: "#02" ... "#04" wasting by WHZ, "#07" by percent
  // of median, "#09" ... "#11" WAZ, "#13" ... "#15" HAZ, "#22" ... "#24" MUAC, "#26" ... "#28"
  // overweight, "#30" ... "#32" MUAC or WHZ (all, boys, girls).
  std::map<std::string, analysis::PrevalenceValues> families;
  // Keyed by marker prefix: "#05" WHZ, "#08" percent of median, "#12" WAZ, "#16" HAZ,
  // "#25" MUAC, "#29" overweight; groups 1 ... 5 and the whole range.
  std::map<std::string, std::vector<analysis::AgeGroupValues>> age_tables;
  OedemaWasting oedema_wasting;
  std::array<MeanValues, 3> means;  // by MeanIndex
  OverlapValues overlap;

  const analysis::PrevalenceValues& family(const std::string& prefix) const { return families.at(prefix); }
  const MeanValues& mean(MeanIndex index) const { return means[static_cast<int>(index)]; }
  // Whether the small-population correction went into the intervals: the state of the
  // prevalence of acute malnutrition of all children ("#02"), as the results page reports it.
  stats::PopulationCorrection population_correction() const;
  // The most children any prevalence left out because their CLUSTER is filled but not a whole
  // number 1 ... 999: the report's tables cannot say so, its caller tells the user.
  int rows_with_unusable_cluster() const;
};

// `Write_Report`'s figures for a survey evaluated under one reference.
ReferenceValues Write_Report_values(const EvaluatedSurvey& evaluated, const ReportInputs& inputs);
// The same with an analysis table whose cells are reused (a second reference allocates nothing).
ReferenceValues Write_Report_values(const EvaluatedSurvey& evaluated, const ReportInputs& inputs,
                                    analysis::AnalysisTable& work);

}  // namespace olvar::reports
