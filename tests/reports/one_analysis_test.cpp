// One hand-made survey under non-default options through every output of this module: the
// results page, the results report's values and the weighted analysis without weights. Each
// must give the same n, counts, prevalences and intervals, since each reads the Options page
// through the same AnalysisSettings.
#include <gtest/gtest.h>

#include "core/options_page.h"
#include "core/standard_variables.h"
#include "reports/results_page.h"
#include "reports/results_report_values.h"
#include "reports/weighted_analysis.h"

namespace olvar::reports {
namespace {

using core::StdVar;

struct Child {
  const char* cluster;
  const char* sex;
  const char* months;
  const char* muac;
  const char* whz;
};

// Ten children in three clusters (WHZ as the row evaluation left it; MUAC in mm):
//   r1  c1 m 10 mo  MUAC 118  WHZ -2.5   wasted            MUAC severe (< 120)
//   r2  c1 f 20 mo  MUAC 125  WHZ -1.0                     MUAC moderate (120 to 129)
//   r3  c1 m 30 mo  MUAC 135  WHZ  0.2
//   r4  c1 f 14 mo  MUAC 140  WHZ -3.4   severely wasted
//   r5  c2 f 40 mo  MUAC 119  WHZ -2.2   wasted            MUAC severe
//   r6  c2 m 50 mo  MUAC 128  WHZ  0.5                     MUAC moderate
//   r7  c2 m 25 mo  MUAC 150  WHZ  3.9   Kandu flag
//   r8  c3 f  8 mo  MUAC 131  WHZ -0.8
//   r9  c3 m 45 mo  MUAC 129  WHZ -2.1   wasted            MUAC moderate
//   r10 c3 f 55 mo  MUAC 145  WHZ -1.5
// Kandu window: the mean WHZ of the ten is -8.9 / 10 = -0.89, so -3.89 to 2.11: r7 is excluded,
// -3.4 stays. WHZ: n = 9; wasted (< -2) r1 r4 r5 r9 = 4 (44.4 %); severe (< -3) r4 = 1 (11.1 %);
// moderate 3 (33.3 %). MUAC (cut-offs 120 and 130 mm): n = 10; below 130 r1 r2 r5 r6 r9 = 5
// (50.0 %); below 120 r1 r5 = 2 (20.0 %).
// Age groups 0-11, 12-23, 24-35, 36-47, 48-59 months: WHZ n per group 2 (r1 r8), 2 (r2 r4),
// 1 (r3; r7 excluded), 2 (r5 r9), 2 (r6 r10); wasted per group 1, 1, 0, 2, 0.
core::SurveyTable fixture() {
  const Child children[] = {
      {"1", "m", "10", "118", "-2.5"}, {"1", "f", "20", "125", "-1.0"},
      {"1", "m", "30", "135", "0.2"},  {"1", "f", "14", "140", "-3.4"},
      {"2", "f", "40", "119", "-2.2"}, {"2", "m", "50", "128", "0.5"},
      {"2", "m", "25", "150", "3.9"},  {"3", "f", "8", "131", "-0.8"},
      {"3", "m", "45", "129", "-2.1"}, {"3", "f", "55", "145", "-1.5"},
  };
  core::SurveyTable table;
  int row = 1;
  for (const Child& c : children) {
    table.set_cell(StdVar::id, row, std::to_string(row));
    table.set_cell(StdVar::cluster, row, c.cluster);
    table.set_cell(StdVar::team, row, "1");
    table.set_cell(StdVar::sex, row, c.sex);
    table.set_cell(StdVar::months, row, c.months);
    table.set_cell(StdVar::weight, row, "9.0");
    table.set_cell(StdVar::height, row, "75.0");
    table.set_cell(StdVar::edema, row, "n");
    table.set_cell(StdVar::muac, row, c.muac);
    table.set_cell(StdVar::whz, row, c.whz);
    ++row;
  }
  return table;
}

core::OptionsPage options() {
  core::OptionsPage o;
  o.exclusion = core::ExclusionMode::kandu;
  o.Edit26 = "300";  // a weight of clothes: part of the row evaluation, not of these counts
  o.Edit2 = "0", o.Edit3 = "11", o.Edit4 = "12", o.Edit5 = "23", o.Edit6 = "24", o.Edit7 = "35";
  o.Edit8 = "36", o.Edit9 = "47", o.Edit10 = "48", o.Edit11 = "59";
  o.muac1 = "120";
  o.muac2 = "130";
  return o;
}

// 2,000 children under five, 10 measured: the correction factor is 1 - 10/2000.
stats::PopulationCorrectionInputs correction() {
  stats::PopulationCorrectionInputs p;
  p.csps1 = true;
  p.PopSize_field = "10000";
  p.sc_f = "20";
  p.Panel2 = "10";
  p.Panel3 = "50";
  return p;
}

void expect_same(const stats::IndicatorInterval& a, const stats::IndicatorInterval& b,
                 const char* what) {
  EXPECT_NEAR(a.lower, b.lower, 1e-9) << what;
  EXPECT_NEAR(a.upper, b.upper, 1e-9) << what;
}

TEST(OneAnalysis, ResultsPageReportAndWeightedAnalysisAgree) {
  const core::SurveyTable survey = fixture();

  ResultsPageInputs page_in = results_page_inputs(options(), correction(), '.');
  page_in.index = ResultsIndex::whz;
  const ResultsPageValues page = results_page_values(survey, page_in);
  page_in.index = ResultsIndex::muac;
  const ResultsPageValues page_muac = results_page_values(survey, page_in);

  const ReportInputs report_in = report_inputs(options(), '.', correction());
  const ReferenceValues report = Write_Report_values(EvaluatedSurvey{survey, {}}, report_in);

  const WeightedAnalysis weighted = weighted_analysis_values(survey, options(), {});
  const WeightedRow& total = weighted.sets[0].tables[0].rows.front();  // WHZ, sexes combined

  // WHZ, all children.
  const analysis::PrevalenceValues& p = page.subsets[0];
  const analysis::PrevalenceValues& r = report.family("#02");
  for (const analysis::PrevalenceValues* v : {&p, &r}) {
    EXPECT_EQ(v->n, 9);
    EXPECT_EQ(v->a.count, 4);
    EXPECT_NEAR(v->a.percent, 400.0 / 9, 1e-9);
    EXPECT_EQ(v->c.count, 1);
    EXPECT_NEAR(v->c.percent, 100.0 / 9, 1e-9);
    EXPECT_EQ(v->b.count, 3);
  }
  EXPECT_EQ(page.excluded_z, 1);
  EXPECT_EQ(report.mean(MeanIndex::whz).excluded, 1);
  expect_same(p.a.interval, r.a.interval, "global, page and report");
  expect_same(p.c.interval, r.c.interval, "severe, page and report");
  EXPECT_EQ(page.population_correction, stats::PopulationCorrection::applied);
  EXPECT_LE(p.a.interval.lower, p.a.percent);
  EXPECT_GE(p.a.interval.upper, p.a.percent);

  // The weighted analysis without WTFACTOR: every child weighs 1.
  EXPECT_DOUBLE_EQ(total.n, 9.0);
  EXPECT_DOUBLE_EQ(total.cells[1].cases_w, 4.0);  // < -2 or oedema
  EXPECT_NEAR(total.cells[1].percent, 400.0 / 9, 1e-9);
  EXPECT_DOUBLE_EQ(total.cells[0].cases_w, 1.0);  // < -3 or oedema
  EXPECT_NEAR(total.cells[0].percent, 100.0 / 9, 1e-9);

  // MUAC with the page's cut-offs.
  const analysis::PrevalenceValues& pm = page_muac.subsets[0];
  const analysis::PrevalenceValues& rm = report.family("#22");
  for (const analysis::PrevalenceValues* v : {&pm, &rm}) {
    EXPECT_EQ(v->n, 10);
    EXPECT_EQ(v->a.count, 5);
    EXPECT_NEAR(v->a.percent, 50.0, 1e-9);
    EXPECT_EQ(v->c.count, 2);
    EXPECT_NEAR(v->c.percent, 20.0, 1e-9);
  }
  expect_same(pm.a.interval, rm.a.interval, "MUAC global, page and report");
  EXPECT_EQ(report_in.muac_severe_text, "120");
  EXPECT_EQ(report_in.muac_moderate_text, "130");

  // The age groups: the report's WHZ age table and the weighted analysis's rows.
  const std::vector<analysis::AgeGroupValues>& ages = report.age_tables.at("#05");
  ASSERT_EQ(ages.size(), 6u);
  const int n_by_group[] = {2, 2, 1, 2, 2};
  const int wasted_by_group[] = {1, 1, 0, 2, 0};
  const std::vector<WeightedRow>& rows = weighted.sets[0].tables[0].rows;
  ASSERT_EQ(rows.size(), 6u);
  const char* labels[] = {"(0-11)", "(12-23)", "(24-35)", "(36-47)", "(48-59)"};
  for (std::size_t g = 0; g < 5; ++g) {
    EXPECT_EQ(ages[g].n, n_by_group[g]) << g;
    // The report's categories: WHZ < -3 and -3 <= WHZ < -2.
    EXPECT_EQ(ages[g].category[0].count + ages[g].category[1].count, wasted_by_group[g]) << g;
    EXPECT_EQ(rows[g + 1].label, labels[g]);
    EXPECT_DOUBLE_EQ(rows[g + 1].n, n_by_group[g]) << g;
    EXPECT_DOUBLE_EQ(rows[g + 1].cells[1].cases_w, wasted_by_group[g]) << g;
  }
  EXPECT_EQ(ages[5].n, 9);
  EXPECT_EQ(report_in.group_labels[0], "0-11");
}

}  // namespace
}  // namespace olvar::reports
