#include "reports/results_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "reports/results_page.h"
#include "reports/results_report_values.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar::reports {
namespace {

using core::StdVar;

struct Child {
  const char* cluster;
  const char* sex;
  const char* edema;
  const char* muac;
  const char* whz;
  const char* waz;
  const char* haz;
  const char* months;
  double percent_of_median;  // the engine's weight-for-height percent of median
};

// The survey as one reference has evaluated it: z-scores written, percent of median per row.
// Every child has a weight, so an empty z-score counts as missing.
EvaluatedSurvey evaluated(std::initializer_list<Child> children) {
  EvaluatedSurvey e;
  e.whz_percent_of_median.assign(e.survey.row_count(), 0.0);
  int row = 1;
  for (const Child& c : children) {
    e.survey.set_cell(StdVar::cluster, row, c.cluster);
    e.survey.set_cell(StdVar::id, row, std::to_string(row));
    e.survey.set_cell(StdVar::sex, row, c.sex);
    e.survey.set_cell(StdVar::weight, row, "10.0");
    e.survey.set_cell(StdVar::edema, row, c.edema);
    e.survey.set_cell(StdVar::muac, row, c.muac);
    e.survey.set_cell(StdVar::whz, row, c.whz);
    e.survey.set_cell(StdVar::waz, row, c.waz);
    e.survey.set_cell(StdVar::haz, row, c.haz);
    e.survey.set_cell(StdVar::months, row, c.months);
    e.whz_percent_of_median[static_cast<std::size_t>(row)] = c.percent_of_median;
    ++row;
  }
  return e;
}

// Three clusters of 3, 2 and 4 children; Epi Info 6 flags (WHZ -5 to 5), default MUAC cut-offs
// 115 / 125 mm and age groups 6-17, 18-29, 30-41, 42-53, 54-59 (the last one stays empty).
//
//      cl sex oed MUAC  WHZ   WAZ   HAZ  months %median
//   r1  1  m   n  120  -2.5  -2.1  -1.0   10     78
//   r2  1  f   y    0   --    --    --    20      0   oedema: no WHZ, WAZ, HAZ; MUAC 0
//   r3  1  m   n  130   0.5   0.2  -2.5   30    104
//   r4  2  f   n    0  -3.5  -3.2  -3.4   40     68   MUAC 0: not measured
//   r5  2  m   n  114   1.0  -0.5   0.3   50    110
//   r6  3  f   n   --   5.5   1.0   0.0   12    150   WHZ above 5: flagged and excluded
//   r7  3  m   n  125  -1.0  -1.5  -2.2   24     90
//   r8  3  f   n  115  -2.0  -2.6  -3.1   36     80.5
//   r9  3  m   n  140   3.5   2.0   1.0   53    130
EvaluatedSurvey fixture() {
  return evaluated({{"1", "m", "n", "120", "-2.5", "-2.1", "-1.0", "10", 78},
                    {"1", "f", "y", "0", "", "", "", "20", 0},
                    {"1", "m", "n", "130", "0.5", "0.2", "-2.5", "30", 104},
                    {"2", "f", "n", "0", "-3.5", "-3.2", "-3.4", "40", 68},
                    {"2", "m", "n", "114", "1.0", "-0.5", "0.3", "50", 110},
                    {"3", "f", "n", "", "5.5", "1.0", "0.0", "12", 150},
                    {"3", "m", "n", "125", "-1.0", "-1.5", "-2.2", "24", 90},
                    {"3", "f", "n", "115", "-2.0", "-2.6", "-3.1", "36", 80.5},
                    {"3", "m", "n", "140", "3.5", "2.0", "1.0", "53", 130}});
}

ReportInputs epi_info_inputs() {
  core::OptionsPage options;
  options.exclusion = core::ExclusionMode::epi_info;
  return report_inputs(options, '.');
}

TEST(ResultsReportValues, FixtureWorkedByHand) {
  const ReferenceValues v = Write_Report_values(fixture(), epi_info_inputs());

  // Wasting by WHZ: r6 is excluded, so the counts are those of the prevalence fixture: n per
  // cluster 3, 2, 3 = 8; a = r1 r2 r4 (2, 1, 0); b = r1; c = r2 r4 (1, 1, 0).
  const analysis::PrevalenceValues& whz = v.family("#02");
  EXPECT_EQ(whz.n, 8);
  EXPECT_EQ(whz.a.count, 3);
  EXPECT_EQ(whz.b.count, 1);
  EXPECT_EQ(whz.c.count, 2);
  EXPECT_NEAR(whz.a.interval.lower, 1.01756, 1e-4);
  EXPECT_NEAR(whz.a.interval.upper, 97.22366, 1e-4);
  // c: p = 1/4, residuals (x - p m) / (8/3) = 0.09375, 0.1875, -0.28125; SS = 0.123046875;
  // SE^2 = SS / 6 = 0.0205078125; V = SE^2 / (3/16)^2 = 7/12; logit ln(1/3) -/+ 4.30265 *
  // sqrt(7/12) = -1.0986 -/+ 3.2862: limits 1.2312 % and 89.9130 %.
  EXPECT_NEAR(whz.c.interval.lower, 1.23117, 1e-4);
  EXPECT_NEAR(whz.c.interval.upper, 89.91298, 1e-4);
  // Boys: r1 r3 r5 r7 r9 (r1 the only case); girls: r2 r4 r8 (r6 excluded).
  EXPECT_EQ(v.family("#03").n, 5);
  EXPECT_EQ(v.family("#03").a.count, 1);
  EXPECT_EQ(v.family("#04").n, 3);
  EXPECT_EQ(v.family("#04").c.count, 2);

  // Percent of median, for the rows whose WHZ survived the exclusion or with oedema: r6 is out;
  // a = r1 (78) r2 (oedema) r4 (68); b = r1; c = r2 r4; 80.5 is not below 80.
  const analysis::PrevalenceValues& pct = v.family("#07");
  EXPECT_EQ(pct.n, 8);
  EXPECT_EQ(pct.a.count, 3);
  EXPECT_EQ(pct.b.count, 1);
  EXPECT_EQ(pct.c.count, 2);

  // MUAC: r2 (MUAC 0) counts for its oedema only, r4 (MUAC 0) and r6 (empty) are not measured.
  const analysis::PrevalenceValues& muac = v.family("#22");
  EXPECT_EQ(muac.n, 7);
  EXPECT_EQ(muac.a.count, 4);  // r1 r2 r5 r8
  EXPECT_EQ(muac.b.count, 2);  // r1 r8 (115 is moderate)
  EXPECT_EQ(muac.c.count, 2);  // r2 r5
  EXPECT_NEAR(muac.a.interval.lower, 8.17096, 1e-4);

  // WAZ: eight children (r2 has none); a = r1 r4 r8, b = r1 r8, c = r4.
  EXPECT_EQ(v.family("#09").n, 8);
  EXPECT_EQ(v.family("#09").a.count, 3);
  EXPECT_EQ(v.family("#09").b.count, 2);
  EXPECT_EQ(v.family("#09").c.count, 1);

  // MUAC or WHZ: r6 has no MUAC and an excluded WHZ, so it is out; a = r1 r2 r4 r5 r8,
  // c = r2 r4 r5. The overlap, with a missing MUAC read as 145 mm: r5 MUAC severe only, r4
  // WHZ severe only; r1 both moderate, r5 and r8 MUAC moderate only, r4 WHZ moderate only.
  EXPECT_EQ(v.family("#30").n, 8);
  EXPECT_EQ(v.family("#30").a.count, 5);
  EXPECT_EQ(v.family("#30").c.count, 3);
  const OverlapValues& o = v.overlap;
  EXPECT_EQ(o.n, 8);
  EXPECT_EQ(o.muac_severe_only, 1);
  EXPECT_EQ(o.whz_severe_only, 1);
  EXPECT_EQ(o.both_severe, 0);
  EXPECT_EQ(o.muac_moderate_only, 2);
  EXPECT_EQ(o.whz_moderate_only, 1);
  EXPECT_EQ(o.both_moderate, 1);
  EXPECT_EQ(o.oedema, 1);
  EXPECT_EQ(o.severe_total(), v.family("#30").c.count);
  EXPECT_EQ(o.moderate_total(), v.family("#30").a.count);

  // Oedema against severe wasting over all nine rows: the excluded r6 comes back with its own
  // WHZ 5.5; r2 (oedema, no WHZ) is placed by its oedema.
  EXPECT_EQ(v.oedema_wasting.oedema_severe, 0);
  EXPECT_EQ(v.oedema_wasting.oedema_only, 1);
  EXPECT_EQ(v.oedema_wasting.severe_only, 1);
  EXPECT_EQ(v.oedema_wasting.neither, 7);

  // Means: WHZ of r1 r3 r4 r5 r7 r8 r9 = -4.0 / 7; the SD (n - 1) is 2.40535. Design effect of
  // WHZ < -2 by cluster: m = 2, 2, 3; a = 1, 1, 0; r = 2/7; cluster variance
  // 3/2 * (r^2 17 + 2 - 2 r 4) / 49 = 81/2401; simple variance r (1 - r) / 7 = 10/343;
  // ratio 27783/24010 = 1.15714.
  const MeanValues& mw = v.mean(MeanIndex::whz);
  EXPECT_EQ(mw.n, 7);
  EXPECT_NEAR(mw.mean, -4.0 / 7, 1e-6);
  EXPECT_NEAR(mw.sd, 2.40535, 1e-4);
  EXPECT_NEAR(mw.design_effect, 27783.0 / 24010.0, 1e-6);
  EXPECT_EQ(mw.excluded, 1);  // r6
  EXPECT_EQ(mw.missing, 1);   // r2
  const MeanValues& mh = v.mean(MeanIndex::haz);
  EXPECT_EQ(mh.n, 8);
  EXPECT_NEAR(mh.mean, -1.3625, 1e-6);
  EXPECT_EQ(mh.excluded, 0);
  // HAZ < -2 by cluster: a/m = 1/2, 1/2, 2/4, every cluster at the overall rate: the design
  // effect computed is 0 and reported as 1.
  EXPECT_DOUBLE_EQ(mh.design_effect, 1.0);

  // Age and sex: 6-17 r1 r6, 18-29 r7 r2, 30-41 r3 r4 r8, 42-53 r5 r9, 54-59 nobody.
  const int boys[] = {1, 1, 1, 2, 0, 5};
  const int girls[] = {1, 1, 2, 0, 0, 4};
  for (int g = 0; g < 6; ++g) {
    SCOPED_TRACE(g);
    EXPECT_EQ(v.age_sex[g].boys, boys[g]);
    EXPECT_EQ(v.age_sex[g].girls, girls[g]);
  }

  // WHZ by age: r6 is excluded, so 6-17 holds r1 (moderate) only; 18-29 the oedema child r2
  // (no category) and r7 (normal); the whole range 8 children.
  const auto& by_age = v.age_tables.at("#05");
  ASSERT_EQ(by_age.size(), 6u);
  EXPECT_EQ(by_age[0].n, 1);
  EXPECT_EQ(by_age[0].category[1].count, 1);
  EXPECT_EQ(by_age[1].n, 2);
  EXPECT_EQ(by_age[1].category[2].count, 1);
  EXPECT_EQ(by_age[1].oedema.count, 1);
  EXPECT_EQ(by_age[4].n, 0);
  EXPECT_EQ(by_age[5].n, 8);
  EXPECT_EQ(by_age[5].category[0].count, 1);  // r4
  EXPECT_EQ(by_age[5].category[2].count, 5);  // r3 r5 r7 r8 r9 (-2.0 is not below -2)
}

// A template holding a sample of markers, each twice: "marker=|marker| ".
std::string mini_template(std::initializer_list<const char*> markers) {
  std::string t;
  for (const char* m : markers) t += std::string(m) + "=|" + m + "| ";
  return t;
}

std::map<std::string, std::vector<std::string>> by_marker(const std::vector<FilledMarker>& f) {
  std::map<std::string, std::vector<std::string>> out;
  for (const FilledMarker& m : f) out[m.marker].push_back(m.value);
  return out;
}

TEST(WriteReport, PrintsValuesAsTheTemplateTakesThem) {
  const ReportInputs inputs = epi_info_inputs();
  const ReferenceValues v = Write_Report_values(fixture(), inputs);
  // Each marker twice: the markers named "twice" take both, the others only the first.
  document::DocumentBuffer buffer(mini_template(
      {"#02-01", "#02-03", "#02-04", "#02-05", "#02-07", "#02-11", "#02-13", "#02-14",
       "#01-06", "#01-07", "#01-28", "#01-29", "#01-31", "#01-41", "#05-01", "#05-03",
       "#05-05", "#05-37", "#05-38", "#06-08", "#17-01", "#17-02", "#17-03", "#17-04",
       "#17-05", "#17-13", "#33-01", "#33-26", "#33-31", "#18-01", "#age01", "#07-03"}));
  std::vector<FilledMarker> filled;
  Write_Report(buffer, v, inputs, {"0.45 (0.31-0.65)", ""}, filled);
  const auto values = by_marker(filled);
  struct Case {
    const char* marker;
    std::vector<std::string> values;
  };
  const Case cases[] = {
      {"#02-01", {"8"}},
      {"#02-03", {"37.5", "37.5"}},  // twice
      {"#02-04", {"1.0", "1.0"}},
      {"#02-05", {"97.2", "97.2"}},
      {"#02-07", {"12.5"}},  // once: the second occurrence stays
      {"#02-11", {"25.0", "25.0"}},
      {"#02-13", {"89.9", "89.9"}},
      {"#02-14", {"12.5"}},  // oedema: 1 of 8
      {"#01-06", {"22.2"}},  // 6-17: 2 of all 9 children
      {"#01-07", {"1.0"}},   // boys / girls 1 / 1
      {"#01-28", {""}},      // 42-53 has no girls: no ratio
      {"#01-29", {"0"}},     // 54-59 is empty: its shares are "0"
      {"#01-31", {"0"}},
      {"#01-41", {"100.0"}},
      {"#05-01", {"1"}},      // 6-17 of the WHZ table: r1
      {"#05-03", {"  0.0"}},  // age tables keep the padding of (4, 1)
      {"#05-05", {"100.0"}},
      {"#05-37", {""}},  // 54-59 has nobody: its markers only removed
      {"#05-38", {""}},
      {"#06-08", {"77.8"}},  // 7 of 9 neither oedema nor WHZ < -3
      {"#17-01", {"1"}},     // excluded WHZ
      {"#17-02", {"1"}},     // missing WHZ
      {"#17-03", {"1.16"}},  // design effect
      {"#17-04",
       {"-0.57\xB1"
        "2.41"}},
      {"#17-05", {"7"}},
      {"#17-13", {"1.00"}},  // HAZ design effect
      {"#33-01", {"1"}},
      {"#33-26", {"37.5"}},  // 3 severe of 8
      {"#33-31", {"8"}},
      {"#18-01", {"0.45 (0.31-0.65)", "0.45 (0.31-0.65)"}},
      {"#age01", {"6-17", "6-17"}},  // every occurrence
      {"#07-03", {"37.5", "37.5"}},  // percent of median: 3 of 8
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.marker);
    const auto it = values.find(c.marker);
    ASSERT_NE(it, values.end());
    EXPECT_EQ(it->second, c.values);
  }
  // The label before each marker is its first occurrence: a marker filled once leaves its second.
  EXPECT_THAT(buffer.text(), ::testing::HasSubstr(" 12.5=|#02-07| "));
  EXPECT_THAT(buffer.text(), ::testing::HasSubstr(" 37.5=|37.5| "));
}

TEST(WriteReport, MarkersAbsentFromTheTemplateAreSkipped) {
  const ReportInputs inputs = epi_info_inputs();
  const ReferenceValues v = Write_Report_values(fixture(), inputs);
  document::DocumentBuffer buffer("no markers here");
  std::vector<FilledMarker> filled;
  Write_Report(buffer, v, inputs, {}, filled);
  EXPECT_EQ(buffer.text(), "no markers here");
  EXPECT_TRUE(filled.empty());
}

// The report's intervals are those the results page shows at the same moment, the
// small-population correction included: 9 children of 100 x 20 % x 0.9 = 18 eligible give
// f = 0.5, intervals visibly narrower than without it.
TEST(ResultsReportValues, SmallPopulationCorrectionAsOnTheResultsPage) {
  core::OptionsPage options;
  options.exclusion = core::ExclusionMode::epi_info;
  const stats::PopulationCorrectionInputs planning{true, "100", "20", "9", "0"};
  const EvaluatedSurvey survey = fixture();
  const ReferenceValues corrected =
      Write_Report_values(survey, report_inputs(options, '.', planning));
  const ReferenceValues plain = Write_Report_values(survey, report_inputs(options, '.'));
  EXPECT_EQ(corrected.population_correction(), stats::PopulationCorrection::applied);
  EXPECT_EQ(plain.population_correction(), stats::PopulationCorrection::not_requested);

  const std::pair<ResultsIndex, const char*> families[] = {{ResultsIndex::whz, "#02"},
                                                           {ResultsIndex::waz, "#09"},
                                                           {ResultsIndex::haz, "#13"},
                                                           {ResultsIndex::muac, "#22"}};
  for (const auto& [index, family] : families) {
    SCOPED_TRACE(family);
    ResultsPageInputs in = results_page_inputs(options, planning, '.');
    in.index = index;
    in.grouping = ResultsGrouping::all;
    const ResultsPageValues page_values = results_page_values(survey.survey, in);
    const analysis::PrevalenceValues& page = page_values.subsets[0];
    const analysis::PrevalenceValues& report = corrected.family(family);
    ASSERT_EQ(report.n, page.n);
    for (const auto& [r, p] : {std::pair{&report.a, &page.a}, std::pair{&report.b, &page.b},
                               std::pair{&report.c, &page.c}}) {
      EXPECT_DOUBLE_EQ(r->interval.lower, p->interval.lower);
      EXPECT_DOUBLE_EQ(r->interval.upper, p->interval.upper);
    }
  }
  // The correction narrows the interval of global acute malnutrition (1.0-97.2 without it).
  EXPECT_GT(corrected.family("#02").a.interval.lower, plain.family("#02").a.interval.lower);
  EXPECT_LT(corrected.family("#02").a.interval.upper, plain.family("#02").a.interval.upper);
  // So does the percent of median, which the page does not show.
  EXPECT_EQ(corrected.family("#07").estimate.population_correction,
            stats::PopulationCorrection::applied);
}

TEST(ResultsReportInputs, CutoffsGroupsAndLabels) {
  core::OptionsPage options;
  options.muac1 = " 110";
  options.muac2 = "abc";
  options.Edit2 = "0";
  options.Edit3 = "5";
  const ReportInputs in = report_inputs(options, '.');
  EXPECT_DOUBLE_EQ(in.muac.severe, 110.0);
  EXPECT_DOUBLE_EQ(in.muac.moderate, 125.0);  // unreadable: the default
  EXPECT_EQ(in.muac_severe_text, "110");
  EXPECT_EQ(in.muac_moderate_text, "125");
  EXPECT_EQ(in.group_labels[0], "0-5");
  EXPECT_EQ(in.group_labels[4], "54-59");
  EXPECT_DOUBLE_EQ(in.groups[0].upper, 5.0);
}

core::LanguageTable english() {
  std::ifstream in(test::source_path("data/english.lng"), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  core::LanguageTable t;
  t.read_english(s.str());
  return t;
}

// A template in the shape of the shipped one: the results section between "#900" and "#901"
// (its last six characters a page break), its main heading up to "#902", the NCHS heading
// between "#903" and "#904"; the NCHS part goes to "#100".
constexpr const char* kShapeTemplate =
    "{\\rtf1 X#800. S:#02-03|\n"
    "#900<who>#902#903<nchs>#904 R:#02-01 #17-04 #age01|\\page #901\n"
    "M:#18-01 A:#100 C:#98 T:#99 cut 115mm/125mm";

TEST(ResultsReport, MainPartShowsWhoAndTheAnnexNchs) {
  const anthro::WhoReference who =
      anthro::WhoReference::load(test::build_data_path(anthro::kWhoTableFileName));
  ASSERT_TRUE(who.found());
  core::Workspace w;
  core::reset_to_new_table(w, "");
  // Twelve children in two clusters, ages in months; WHO and NCHS give different WHZ.
  for (int row = 1; row <= 12; ++row) {
    w.survey.set_cell(StdVar::cluster, row, row <= 6 ? "1" : "2");
    w.survey.set_cell(StdVar::id, row, std::to_string(row));
    w.survey.set_cell(StdVar::sex, row, row % 2 ? "m" : "f");
    w.survey.set_cell(StdVar::months, row, std::to_string(8 + 4 * row));
    w.survey.set_cell(StdVar::height, row, std::to_string(70 + 2 * row) + ".0");
    w.survey.set_cell(StdVar::weight, row, row % 3 ? "7.1" : "9.4");
    w.survey.set_cell(StdVar::edema, row, "n");
  }
  w.survey.set_cell(StdVar::waz, 1, "stale");  // the report evaluates every row itself
  w.planning.cluster_table.set_cell(0, 1, "Camp {A}");
  w.planning.cluster_table.set_cell(1, 1, "1200");
  w.planning.cluster_table.set_cell(2, 1, "1");
  const core::Workspace before = w;
  test::TempFolder folder;
  std::ofstream(folder / "report.rtf", std::ios::binary) << kShapeTemplate;
  const core::LanguageTable text = english();
  anthro::RowEvaluationSettings evaluation;
  evaluation.current_year = 2026;
  evaluation.reference = anthro::Reference::nchs1977;  // the selector: NCHS
  const ResultsReportContext context{text, who, evaluation, core::OptionsPage{}, {}};
  const auto report = results_report(w, context, folder / "report.rtf");
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(w.survey, before.survey);

  // Each part's mean WHZ is that of its own reference.
  const auto value_text = [](const MeanValues& m) {
    return core::format_fixed_trimmed(m.mean, 3, 2) + "\xB1" +
           core::format_fixed_trimmed(m.sd, 3, 2);
  };
  const std::string who_mean = value_text(report->who.mean(MeanIndex::whz));
  const std::string nchs_mean = value_text(report->nchs.mean(MeanIndex::whz));
  ASSERT_NE(who_mean, nchs_mean);
  const std::string expected =
      "{\\rtf1 X " + text.text(1300) +
      " No exclusion. S:" + core::format_fixed_trimmed(report->who.family("#02").a.percent, 4, 1) +
      "|" + "<who> R:12 " + who_mean + " 6-17|\\page M: A:" + "<nchs> R:12 " + nchs_mean +
      " 6-17| C:" + text.text(925) + "\\tab " + text.text(926) + "\\tab " + text.text(927) +
      " \\par\\par Camp \\{A\\}\\tab 1200\\tab 1\\tab \\par \\pard  T:\\pard ";
  ASSERT_EQ(report->document.text().substr(0, expected.size()), expected);
  EXPECT_THAT(report->document.text(), ::testing::EndsWith(" cut 115 mm/125 mm"));
  // The values list: "#800" first, the main part, the NCHS part, cut-offs, "#99", "#98".
  ASSERT_GE(report->filled.size(), 4u);
  EXPECT_EQ(report->filled.front().marker, "#800");
  std::vector<std::string> order;
  for (const FilledMarker& m : report->filled) order.push_back(m.marker);
  EXPECT_THAT(order,
              ::testing::ElementsAre("#800", "#02-01", "#02-03", "#age01", "#17-04", "#18-01",
                                     "#02-01", "#age01", "#17-04", "115mm", "125mm", "#99", "#98"));
}

TEST(ResultsReport, MissingTemplateWritesNothing) {
  const anthro::WhoReference who;
  const core::LanguageTable text = english();
  const ResultsReportContext context{text, who, {}, core::OptionsPage{}, {}};
  test::TempFolder folder;
  EXPECT_FALSE(results_report(core::Workspace{}, context, folder / "report.rtf").has_value());
  EXPECT_FALSE(text.text(kReportTemplateMissing).empty());
}

}  // namespace
}  // namespace olvar::reports
