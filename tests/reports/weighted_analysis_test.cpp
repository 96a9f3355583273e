#include "reports/weighted_analysis.h"

#include <gtest/gtest.h>

#include <string>

#include "core/language_table.h"
#include "core/standard_variables.h"
#include "core/survey_table.h"
#include "core/workspace.h"
#include "analysis/analysis_table.h"
#include "analysis/prevalence_values.h"
#include "support/survey_builder.h"
#include "support/test_paths.h"

namespace olvar::reports {
namespace {

using core::StdVar;

// Children with CLUSTER, SEX, MONTHS, EDEMA, WHZ, HAZ and WTFACTOR, numbered by their ID.
core::SurveyTable survey_of(test::SurveyRows children) {
  return test::survey_table({StdVar::cluster, StdVar::sex, StdVar::months, StdVar::edema,
                             StdVar::whz, StdVar::haz, StdVar::wtfactor},
                            children, {{StdVar::id, test::kRowNumber}});
}

// Two clusters of unequal weight, an oedema case without WHZ, a negative and a missing weight,
// a child of 17.5 months and a row whose cluster cannot be placed:
//   r1 c1 m 10.0 mo  WHZ -2.5  HAZ -2.2  w 2
//   r2 c1 f 20.0 mo  WHZ  0.0            w 1
//   r3 c1 M 30.0 mo  WHZ --    oedema    w missing -> 1
//   r4 c2 f 17.5 mo  WHZ -3.5            w 3
//   r5 c2 m 40.0 mo  WHZ  1.5            w -4 -> 1
//   r6 c2 f 50.0 mo  WHZ  2.5            w 2
//   r7 "abc"         WHZ -4.0            left out (cluster not a whole number 1 ... 999)
// Without weights the oedema code is the normalised "y" that the results report reads.
core::SurveyTable fixture(bool weighted = true) {
  return survey_of({{"1", "m", "10", "n", "-2.5", "-2.2", weighted ? "2" : ""},
                    {"1", "f", "20", "n", "0.0", "", weighted ? "1" : ""},
                    {"1", "M", "30", weighted ? "Y" : "y", "", "", ""},
                    {"2", "f", "17.5", "n", "-3.5", "", weighted ? "3" : ""},
                    {"2", "m", "40", "n", "1.5", "", weighted ? "-4" : ""},
                    {"2", "f", "50", "n", "2.5", "", weighted ? "2" : ""},
                    {"abc", "m", "20", "n", "-4.0", "", "1"}});
}

core::OptionsPage no_exclusion() {
  core::OptionsPage o;
  o.exclusion = anthro::ExclusionMode::none;
  return o;
}

const WeightedRow& row_of(const WeightedAnalysis& a, int set, WeightedIndex index,
                          std::string_view label) {
  const WeightedTable& t = a.sets[static_cast<std::size_t>(set - 1)].tables[static_cast<int>(index)];
  for (const WeightedRow& r : t.rows)
    if (r.label == label) return r;
  ADD_FAILURE() << "no row " << label;
  return t.rows.front();
}

TEST(WeightedAnalysis, SexesCombinedWhzWorkedByHand) {
  const WeightedAnalysis a = weighted_analysis_values(fixture(), no_exclusion(), {});
  EXPECT_EQ(a.rows_with_unusable_cluster, 1);
  const WeightedRow& total = row_of(a, 1, WeightedIndex::whz, "Total");
  // N: Σw with oedema: cluster 1 2 + 1 + 1 = 4, cluster 2 3 + 1 + 2 = 6.
  EXPECT_DOUBLE_EQ(total.n, 10.0);
  ASSERT_EQ(total.cells.size(), 5u);
  // Below -3 or oedema: r3 (1) and r4 (3): 4 of 10. Two clusters: t(1) = 12.7062; mbar = 5;
  // u = x/5 - (4/2)/25 m: c1 0.2 - 0.32 = -0.12, c2 0.6 - 0.48 = 0.12; SE = sqrt(0.0288/2) = 0.12;
  // logit(0.4) = -0.405465, half width 12.7062 * 0.12 / 0.24 = 6.35310:
  // 100 / (1 + e^6.758565) = 0.1159 %, 100 / (1 + e^-5.947635) = 99.739 %.
  EXPECT_DOUBLE_EQ(total.cells[0].percent, 40.0);
  EXPECT_NEAR(total.cells[0].interval.lower, 0.1159, 5e-4);
  EXPECT_NEAR(total.cells[0].interval.upper, 99.739, 5e-3);
  // Below -2 or oedema: r1 (2), r3 (1), r4 (3): 6 of 10; by symmetry SE 0.12 again,
  // 100 / (1 + e^5.947635) = 0.2605 %, 100 / (1 + e^-6.758565) = 99.884 %.
  EXPECT_DOUBLE_EQ(total.cells[1].percent, 60.0);
  EXPECT_NEAR(total.cells[1].interval.lower, 0.2605, 5e-4);
  EXPECT_NEAR(total.cells[1].interval.upper, 99.884, 5e-3);
  // Above +1, +2, +3 count only children with a WHZ: Σw 3 + 6 = 9; cases r5 (1) and r6 (2),
  // then r6 alone, then none.
  EXPECT_DOUBLE_EQ(total.cells[2].sum_w, 9.0);
  EXPECT_NEAR(total.cells[2].percent, 100.0 / 3, 1e-9);
  EXPECT_NEAR(total.cells[3].percent, 200.0 / 9, 1e-9);
  EXPECT_DOUBLE_EQ(total.cells[4].percent, 0.0);
  EXPECT_DOUBLE_EQ(total.cells[4].interval.upper, 0.0);  // no case in a cluster sample
  // Mean: Σwz = -5 + 0 - 10.5 + 1.5 + 5 = -9 over Σw 9: -1; Σw(z - m)^2 = 4.5 + 1 + 18.75 +
  // 6.25 + 24.5 = 55; SD = sqrt(55 / 8) = 2.622022.
  EXPECT_DOUBLE_EQ(total.mean.sum_w, 9.0);
  EXPECT_DOUBLE_EQ(total.mean.mean, -1.0);
  EXPECT_NEAR(total.mean.sd, 2.622022, 1e-6);
}

TEST(WeightedAnalysis, RowsBySexAgeAndCluster) {
  const WeightedAnalysis a = weighted_analysis_values(fixture(), no_exclusion(), {});
  // Boys (SEX "m" or "M"): r1 (2), r3 (oedema, 1), r5 (weight -4 counts as 1): N 4, one case.
  const WeightedRow& boys = row_of(a, 2, WeightedIndex::whz, "Total");
  EXPECT_DOUBLE_EQ(boys.n, 4.0);
  EXPECT_DOUBLE_EQ(boys.cells[0].percent, 25.0);
  // 17.5 months belongs to 6-17 (upper bound + 0.9999999), not to 18-29.
  EXPECT_DOUBLE_EQ(row_of(a, 1, WeightedIndex::whz, "(6-17)").n, 5.0);   // r1, r4
  EXPECT_DOUBLE_EQ(row_of(a, 1, WeightedIndex::whz, "(18-29)").n, 1.0);  // r2
  EXPECT_TRUE(row_of(a, 1, WeightedIndex::whz, "(54-59)").cells[0].empty());
  // HAZ has two cells and no oedema: r1 alone.
  const WeightedRow& haz = row_of(a, 1, WeightedIndex::haz, "Total");
  EXPECT_EQ(haz.cells.size(), 2u);
  EXPECT_DOUBLE_EQ(haz.n, 2.0);
  EXPECT_DOUBLE_EQ(haz.cells[1].percent, 100.0);
  // By cluster: Total, "1", "2"; one cluster alone gives the Wilson interval. Cluster 1,
  // below -3 or oedema: 1 of 4; centre 0.25 + 1.96^2/8 = 0.7302, half width
  // 1.96 sqrt((0.1875 + 0.2401) / 4) = 0.640834, scale 1.9604: 4.5586 % to 69.936 %.
  const WeightedTable& by_cluster = a.sets[3].tables[0];
  ASSERT_EQ(by_cluster.rows.size(), 3u);
  EXPECT_EQ(by_cluster.rows[1].label, "1");
  EXPECT_EQ(by_cluster.rows[2].label, "2");
  const WeightedPrevalence& c1 = by_cluster.rows[1].cells[0];
  EXPECT_DOUBLE_EQ(c1.percent, 25.0);
  EXPECT_NEAR(c1.interval.lower, 4.5586, 5e-4);
  EXPECT_NEAR(c1.interval.upper, 69.936, 5e-3);
}

TEST(WeightedAnalysis, WithoutWeightsEqualsTheUnweightedPrevalence) {
  const core::SurveyTable survey = fixture(/*weighted=*/false);
  const WeightedAnalysis a = weighted_analysis_values(survey, no_exclusion(), {});
  analysis::AnalysisOptions options;
  options.mode = anthro::ExclusionMode::none;
  const analysis::PrevalenceValues unweighted = analysis::prevalence_values(
      analysis::RemoveAllNonPlausible_Zscores(survey, options).table, analysis::PrevalenceFamily::whz_wasting, {});
  const WeightedRow& total = row_of(a, 1, WeightedIndex::whz, "Total");
  EXPECT_DOUBLE_EQ(total.n, unweighted.n);
  EXPECT_DOUBLE_EQ(total.cells[1].percent, unweighted.a.percent);
  EXPECT_DOUBLE_EQ(total.cells[1].interval.lower, unweighted.a.interval.lower);
  EXPECT_DOUBLE_EQ(total.cells[1].interval.upper, unweighted.a.interval.upper);
  EXPECT_DOUBLE_EQ(total.cells[0].percent, unweighted.c.percent);
  EXPECT_DOUBLE_EQ(total.cells[0].interval.lower, unweighted.c.interval.lower);
  EXPECT_DOUBLE_EQ(total.cells[0].interval.upper, unweighted.c.interval.upper);
}

// A survey without CLUSTER and ID columns (a simple random sample, imported) is one cluster:
// its children are counted, with the Wilson interval of a single cluster.
TEST(WeightedAnalysis, ASurveyWithoutClusterAndIdIsOneCluster) {
  core::SurveyTable survey =
      survey_of({{"", "m", "10", "n", "-2.5", "", "2"}, {"", "f", "20", "n", "0.0", "", "1"}});
  for (int row = 1; row < survey.row_count(); ++row) survey.set_cell(StdVar::id, row, "");
  const WeightedAnalysis a = weighted_analysis_values(survey, no_exclusion(), {});
  const WeightedRow& total = row_of(a, 1, WeightedIndex::whz, "Total");
  EXPECT_DOUBLE_EQ(total.n, 3.0);
  EXPECT_NEAR(total.cells[1].percent, 200.0 / 3, 1e-9);
}

TEST(WeightedAnalysis, ExclusionModeRemovesFlaggedZscores) {
  // Epi Info 6 flags keep WHZ within -5 ... 5 (default bounds): -5.5 leaves the table.
  core::OptionsPage epi;
  epi.exclusion = anthro::ExclusionMode::epi_info;
  const core::SurveyTable survey =
      survey_of({{"1", "m", "10", "n", "-5.5", "", ""}, {"1", "f", "12", "n", "-1.0", "", ""}});
  const WeightedAnalysis a = weighted_analysis_values(survey, epi, {});
  EXPECT_DOUBLE_EQ(row_of(a, 1, WeightedIndex::whz, "Total").n, 1.0);
}

TEST(WeightedAnalysis, ShowsProgressPerLine) {
  std::vector<std::string> captions;
  WeightedAnalysisInputs inputs;
  inputs.show_progress = [&](std::string_view c) { captions.emplace_back(c); };
  weighted_analysis_values(fixture(), no_exclusion(), inputs);
  // Sets 1-3: 3 indices x 6 lines; set 4: 3 x (Total + 2 clusters).
  ASSERT_EQ(captions.size(), 3u * 3 * 6 + 3 * 3);
  EXPECT_EQ(captions.front(), "Calculation of Line: 1");
  EXPECT_EQ(captions.back(), "Calculation of Line: 63");
}

TEST(WeightedAnalysis, TableLayout) {
  const core::LanguageTable text = core::LanguageTable::load(test::build_data_path(""));
  const WeightedAnalysis a = weighted_analysis_values(fixture(), no_exclusion(), {});
  const std::string table = weighted_analysis_table(a, text, '.').text();
  EXPECT_EQ(table.rfind("Nutritional survey standard analysis (weighting factors included in the "
                        "analysis)\nDetailed tables with 95% confidence intervals*\n\nSet 1: Sexes "
                        "combined\n\nAge groups\tN\tWeight-for-length/height (%)\n\t\t% < -3SD\t"
                        "(95% CI)\t% < -2SD\t(95% CI)\t% > +1SD\t(95% CI)\t% > +2SD\t(95% CI)\t"
                        "% > +3SD\t(95% CI)\tMean\xB1SD\nTotal\t10\t",
                        0),
            0u);
  EXPECT_NE(table.find("\tLength/height-for-age (%)\n\t\t% < -3SD\t(95% CI)\t% < -2SD\t"
                       "(95% CI)\tMean\xB1SD\n"),
            std::string::npos);
  // Cluster 1 by hand (Wilson): below -3 or oedema 1 of 4; below -2 or oedema 3 of 4; above
  // +1, +2, +3 none of 3 (0 to 56.2 %); mean -5/3, SD sqrt(4.16667 / 2) = 1.443.
  EXPECT_NE(table.find("Set 4: Overall, sexes combined by cluster\n\nCluster\tN\t"),
            std::string::npos);
  EXPECT_NE(table.find("\n1\t4\t   25.0 % \t    4.6 -    69.9\t   75.0 % \t   30.1 -    95.4\t"
                       "    0.0 % \t    0.0 -    56.2\t    0.0 % \t    0.0 -    56.2\t"
                       "    0.0 % \t    0.0 -    56.2\t-1.67\xB1" "1.44\n"),
            std::string::npos)
      << table;
  // An empty age group: two empty cells per prevalence and no mean.
  EXPECT_NE(table.find("\n(54-59)\t0\t\t\t\t\t\n"), std::string::npos);
  EXPECT_NE(table.find("*) Values are based on " + text.text(964) + "\n"), std::string::npos);
  EXPECT_TRUE(table.ends_with(text.text(kUnusableClusterEntry) + " 1\n"));
}

}  // namespace
}  // namespace olvar::reports
