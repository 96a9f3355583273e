// The plausibility check report of a survey at the 65,535-child limit: 30 clusters, 10 teams,
// WHO z-scores computed afresh, every section and the scoring, the saved copy included.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "core/workspace.h"
#include "anthro/row_evaluation.h"
#include "analysis/analysis_table.h"
#include "reports/plausibility_report.h"
#include "reports/results_report.h"
#include "reports/weighted_analysis.h"
#include "analysis/prevalence_values.h"
#include "reports/results_page.h"
#include "analysis/age_table_values.h"
#include "stats/column_summary.h"
#include "peak_memory.h"

namespace {

using olvar::core::StdVar;

constexpr int kChildren = 65'535;

// Children of 6 to 59 months with heights along the median growth and WHZ spread as in a
// survey with some wasting; fixed seed.
olvar::core::Workspace large_survey(int clusters = 30) {
  olvar::core::Workspace w;
  olvar::core::reset_to_new_table(w, "");
  w.file_name = "large.as";
  w.survey.resize(w.survey.column_count(), kChildren + 1);
  std::mt19937 random(20261210);
  std::uniform_int_distribution<int> age(6, 59);
  std::normal_distribution<double> height_sd(0.0, 3.5);
  std::normal_distribution<double> weight_factor(1.0, 0.1);
  std::uniform_int_distribution<int> muac(110, 170);
  char text[32];
  for (int row = 1; row <= kChildren; ++row) {
    const int cluster = 1 + (row - 1) * clusters / kChildren;
    w.survey.set_cell(StdVar::survdate, row, "10.12.2026");
    w.survey.set_cell(StdVar::cluster, row, std::to_string(cluster));
    w.survey.set_cell(StdVar::team, row, std::to_string(1 + (cluster - 1) / 3));
    w.survey.set_cell(StdVar::id, row, std::to_string(row));
    w.survey.set_cell(StdVar::hh, row, std::to_string(row / 2));
    w.survey.set_cell(StdVar::sex, row, row % 2 ? "m" : "f");
    const int months = age(random);
    w.survey.set_cell(StdVar::months, row, std::to_string(months));
    const double height = 67.0 + 0.9 * (months - 6) + height_sd(random);
    std::snprintf(text, sizeof text, "%.1f", height);
    w.survey.set_cell(StdVar::height, row, text);
    const double weight = (7.5 + 0.19 * (months - 6)) * weight_factor(random);
    std::snprintf(text, sizeof text, "%.1f", weight);
    w.survey.set_cell(StdVar::weight, row, text);
    w.survey.set_cell(StdVar::edema, row, row % 500 ? "n" : "y");
    w.survey.set_cell(StdVar::muac, row, std::to_string(muac(random)));
  }
  w.survey.renumber_rows();
  return w;
}

void BM_PlausibilityReport(benchmark::State& state) {
  const olvar::core::Workspace survey = large_survey();
  const olvar::anthro::WhoReference who = olvar::anthro::WhoReference::load(
      std::filesystem::path(OLVAR_BUILD_DATA_DIR) / "anthro_who2005.dat");
  const olvar::core::LanguageTable text = olvar::core::LanguageTable::load(OLVAR_BUILD_DATA_DIR);
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "olvar-reports-bench";
  std::filesystem::create_directories(folder);
  olvar::anthro::RowEvaluationSettings evaluation;
  evaluation.current_year = 2026;
  const olvar::reports::PlausibilityContext context{
      text, who, evaluation, olvar::core::OptionsPage{}, folder, {}};
  int total = 0;
  olvar::bench::PeakMemoryCounter memory(state);
  for (auto _ : state) {
    const olvar::reports::PlausibilityReport report = olvar::reports::Plausibility(survey, context);
    total = report.total;
    benchmark::DoNotOptimize(report.document.text().data());
  }
  state.counters["score"] = total;
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PlausibilityReport)->Unit(benchmark::kMillisecond);

// The weighted analysis of the same survey with a weighting factor of 1 to 3 per child: every
// line of the four sets (about 300 lines) passes over all children.
void BM_WeightedAnalysis(benchmark::State& state) {
  olvar::core::Workspace survey = large_survey();
  const olvar::anthro::WhoReference who = olvar::anthro::WhoReference::load(
      std::filesystem::path(OLVAR_BUILD_DATA_DIR) / "anthro_who2005.dat");
  const olvar::core::LanguageTable text = olvar::core::LanguageTable::load(OLVAR_BUILD_DATA_DIR);
  olvar::anthro::RowEvaluationSettings evaluation;
  evaluation.current_year = 2026;
  olvar::anthro::evaluate_all_rows(survey.survey, evaluation, who);
  for (int row = 1; row <= kChildren; ++row)
    survey.survey.set_cell(StdVar::wtfactor, row, std::to_string(1 + row % 3));
  const olvar::core::OptionsPage options;
  olvar::bench::PeakMemoryCounter memory(state);
  for (auto _ : state) {
    const olvar::reports::WeightedAnalysis values =
        olvar::reports::weighted_analysis_values(survey.survey, options, {});
    const olvar::document::DocumentBuffer table =
        olvar::reports::weighted_analysis_table(values, text, '.');
    benchmark::DoNotOptimize(table.text().data());
  }
}
BENCHMARK(BM_WeightedAnalysis)->Unit(benchmark::kMillisecond);

// What every statistic of a report starts with: the analysis table rebuilt with the Kandu rule
// on WHZ (which needs the observed mean first), then the summary of that column.
void BM_TransferAndColumnSummary(benchmark::State& state) {
  olvar::core::Workspace survey = large_survey();
  const olvar::anthro::WhoReference who = olvar::anthro::WhoReference::load(
      std::filesystem::path(OLVAR_BUILD_DATA_DIR) / "anthro_who2005.dat");
  olvar::anthro::RowEvaluationSettings evaluation;
  evaluation.current_year = 2026;
  olvar::anthro::evaluate_all_rows(survey.survey, evaluation, who);
  olvar::analysis::AnalysisOptions options;
  options.mode = olvar::anthro::ExclusionMode::kandu;
  const int whz = olvar::core::column(StdVar::whz);
  olvar::analysis::AnalysisTable analysis;
  olvar::bench::PeakMemoryCounter memory(state);
  for (auto _ : state) {
    olvar::analysis::SG6_uebergabe(survey.survey, options, -1, whz, "", analysis);
    benchmark::DoNotOptimize(olvar::stats::DeskripStatCont(analysis.table, whz));
  }
}
BENCHMARK(BM_TransferAndColumnSummary)->Unit(benchmark::kMillisecond);

// The whole results report of a survey at the row limit in 60 clusters, as the menu makes it:
// every row evaluated under WHO and NCHS on copies, every family, age table and mean for both,
// the shipped template filled.
void BM_ResultsReport(benchmark::State& state) {
  const olvar::core::Workspace survey = large_survey(60);
  const olvar::anthro::WhoReference who = olvar::anthro::WhoReference::load(
      std::filesystem::path(OLVAR_BUILD_DATA_DIR) / "anthro_who2005.dat");
  const olvar::core::LanguageTable text = olvar::core::LanguageTable::load(OLVAR_BUILD_DATA_DIR);
  olvar::anthro::RowEvaluationSettings evaluation;
  evaluation.current_year = 2026;
  olvar::core::OptionsPage options;
  options.exclusion = olvar::core::ExclusionMode::kandu;
  const olvar::reports::ResultsReportContext context{text, who, evaluation, options, {}};
  const std::filesystem::path template_file =
      std::filesystem::path(OLVAR_BUILD_DATA_DIR) / olvar::reports::kResultsReportTemplate;
  std::size_t markers = 0;
  olvar::bench::PeakMemoryCounter memory(state);
  for (auto _ : state) {
    const auto report = olvar::reports::results_report(survey, context, template_file);
    markers = report ? report->filled.size() : 0;
    benchmark::DoNotOptimize(report);
  }
  state.counters["markers"] = static_cast<double>(markers);
}
BENCHMARK(BM_ResultsReport)->Unit(benchmark::kMillisecond);

}  // namespace

// The results report's counting on a full survey: 65,535 rows in 60 clusters, every prevalence
// family three times (all, boys, girls) and every age table, as one report fills them.
static void BM_ResultsReportValues(benchmark::State& state) {
  using olvar::core::StdVar;
  constexpr int kRows = 65535;
  olvar::core::TextGrid t(olvar::core::kFirstUserColumn, kRows + 1);
  std::mt19937 random(7);
  std::normal_distribution<double> z(-0.5, 1.1);
  std::uniform_int_distribution<int> muac(95, 170);
  for (int row = 1; row <= kRows; ++row) {
    t.set_cell(olvar::core::column(StdVar::cluster), row, std::to_string(row % 60 + 1));
    t.set_cell(olvar::core::column(StdVar::sex), row, row % 2 ? "m" : "f");
    t.set_cell(olvar::core::column(StdVar::months), row, std::to_string(6 + row % 54));
    t.set_cell(olvar::core::column(StdVar::edema), row, row % 97 ? "n" : "y");
    const std::string circumference = row % 13 ? std::to_string(muac(random)) : "0";
    t.set_cell(olvar::core::column(StdVar::muac), row, circumference);
    for (StdVar v : {StdVar::waz, StdVar::haz, StdVar::whz}) {
      char text[16];
      std::snprintf(text, sizeof text, "%.2f", z(random));
      t.set_cell(olvar::core::column(v), row, text);
    }
  }
  using olvar::analysis::PrevalenceFamily;
  using olvar::analysis::AgeTableFamily;
  using olvar::analysis::SexSubset;
  const std::vector<olvar::analysis::AgeGroup> groups = {
      {6, 17}, {18, 29}, {30, 41}, {42, 53}, {54, 59}};
  for (auto _ : state) {
    int total = 0;
    for (PrevalenceFamily f :
         {PrevalenceFamily::whz_wasting, PrevalenceFamily::waz, PrevalenceFamily::haz,
          PrevalenceFamily::muac, PrevalenceFamily::whz_overweight, PrevalenceFamily::muac_or_whz})
      for (SexSubset s : {SexSubset::all, SexSubset::boys, SexSubset::girls})
        total += olvar::analysis::prevalence_values(t, f, {{}, s, '.', {}}).n;
    for (AgeTableFamily f : {AgeTableFamily::whz, AgeTableFamily::waz, AgeTableFamily::haz,
                             AgeTableFamily::muac, AgeTableFamily::whz_overweight})
      total += olvar::analysis::age_table_values(t, f, groups, {}).back().n;
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_ResultsReportValues)->Unit(benchmark::kMillisecond);

// The Results Anthropometry page on a full survey: 65,535 rows in 60 clusters, for each index
// (WAZ, HAZ, WHZ, MUAC) and grouping (All, Sex, Cluster, Age) the analysis table rebuilt with
// Kandu exclusion and every line of the page computed and laid out, as one click on the page
// does.
static void BM_ResultsPageLines(benchmark::State& state) {
  using olvar::core::StdVar;
  constexpr int kRows = 65535;
  olvar::core::SurveyTable t;
  t.resize(t.column_count(), kRows + 1);
  std::mt19937 random(11);
  std::normal_distribution<double> z(-0.5, 1.1);
  std::uniform_int_distribution<int> muac(95, 170);
  for (int row = 1; row <= kRows; ++row) {
    t.set_cell(StdVar::cluster, row, std::to_string(row % 60 + 1));
    t.set_cell(StdVar::sex, row, row % 2 ? "m" : "f");
    t.set_cell(StdVar::months, row, std::to_string(6 + row % 54));
    t.set_cell(StdVar::weight, row, "10.0");
    t.set_cell(StdVar::edema, row, row % 97 ? "n" : "y");
    t.set_cell(StdVar::muac, row, row % 13 ? std::to_string(muac(random)) : "0");
    for (StdVar v : {StdVar::waz, StdVar::haz, StdVar::whz}) {
      char text[16];
      std::snprintf(text, sizeof text, "%.2f", z(random));
      t.set_cell(v, row, text);
    }
  }
  const olvar::core::LanguageTable text = olvar::core::LanguageTable::load(OLVAR_BUILD_DATA_DIR);
  olvar::core::OptionsPage options;
  options.exclusion = olvar::core::ExclusionMode::kandu;
  olvar::reports::ResultsPageInputs in = olvar::reports::results_page_inputs(options, {}, '.');
  in.index = static_cast<olvar::reports::ResultsIndex>(state.range(0));
  in.grouping = static_cast<olvar::reports::ResultsGrouping>(state.range(1));
  for (auto _ : state) {
    const auto values = olvar::reports::results_page_values(t, in);
    benchmark::DoNotOptimize(olvar::reports::MainTextResults(values, in, text));
  }
}
BENCHMARK(BM_ResultsPageLines)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2, 3}})
    ->ArgNames({"index", "grouping"})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
