#pragma once
// The per-cluster case table behind the cases-per-cluster graph: for each cluster, how many
// children meet each of nine case definitions, the z-scores taken under Kandu flags whatever
// exclusion the page shows (the dispersion of cases is judged on the plausible values alone).

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/language_table.h"
#include "core/survey_table.h"
#include "analysis/analysis_table.h"

namespace olvar::graphs {

enum class CaseDefinition {
  whz_below_2,
  whz_below_3,
  oedema,
  gam,  // WHZ < -2 or oedema
  sam,  // WHZ < -3 or oedema
  haz_below_2,
  haz_below_3,
  waz_below_2,
  waz_below_3,
};
inline constexpr std::size_t kCaseDefinitions = 9;
// The labels of the memo lines, in the order above.
inline constexpr std::array<std::string_view, kCaseDefinitions> kCaseLabels = {
    "WHZ < -2", "WHZ < -3", "Edema", "GAM", "SAM", "HAZ < -2", "HAZ < -3", "WAZ < -2", "WAZ < -3"};

struct ClusterCases {
  std::vector<std::string> clusters;  // CLUSTER texts in order of first appearance
  std::vector<std::array<int, kCaseDefinitions>> counts;  // per cluster

  // The count of one definition in each cluster, in cluster order.
  std::vector<int> of(CaseDefinition definition) const;
};

// `Praev_calc`: the distinct CLUSTER texts of the rows with TEAM filled (at most 999) and their
// counts. A child without a usable WHZ and without oedema does not enter the WHZ definitions;
// oedema ("y") counts for Edema, GAM and SAM whatever the WHZ.
ClusterCases Praev_calc(const core::SurveyTable& survey, analysis::AnalysisOptions options);

// `PoissonCheck` for the memo: one line per case definition whose mean count is not 0, the label
// and ": " padded to 10 characters, "ID=", the index of dispersion (3, 2), " (p=", its p-value
// (4, 3), ")".
std::vector<std::string> PoissonCheck(const ClusterCases& cases);

// The memo of the cases-per-cluster graph: Language entry 37, an empty line, the PoissonCheck
// lines, an empty line, entries 45 and 46.
std::vector<std::string> cases_memo(const ClusterCases& cases, const core::LanguageTable& text);

}  // namespace olvar::graphs
