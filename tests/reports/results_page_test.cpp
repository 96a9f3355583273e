#include "reports/results_page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/standard_variables.h"
#include "support/survey_builder.h"
#include "support/test_paths.h"

namespace olvar::reports {
namespace {

using core::StdVar;

// Children with CLUSTER, SEX, MONTHS, EDEMA, MUAC and WHZ; every child was weighed.
core::SurveyTable survey_of(test::SurveyRows children) {
  return test::survey_table(
      {StdVar::cluster, StdVar::sex, StdVar::months, StdVar::edema, StdVar::muac, StdVar::whz},
      children, {{StdVar::weight, "10.0"}});
}

// Three clusters of unequal size (4, 2, 3 children):
//   r1 c1 m 10 mo  MUAC 120  WHZ -2.5   wasting (moderate)      MUAC moderate
//   r2 c1 f 20 mo  MUAC 0    WHZ --     oedema (severe)         MUAC 0 = not measured; oedema
//   r3 c1 m 30 mo  MUAC 130  WHZ  0.5
//   r4 c1 f 40 mo  MUAC 135  WHZ -1.0
//   r5 c2 f 15 mo  MUAC 110  WHZ -3.5   severe                  MUAC severe
//   r6 c2 m 50 mo  MUAC 140  WHZ  1.0
//   r7 c3 f 25 mo  MUAC 125  WHZ -5.5   flagged by Epi Info 6 (below -5): excluded
//   r8 c3 m 45 mo  MUAC 118  WHZ -2.0   not below -2             MUAC moderate
//   r9 c3 f 55 mo  MUAC 150  WHZ  0.0
core::SurveyTable fixture() {
  return survey_of({{"1", "m", "10", "n", "120", "-2.5"},
                    {"1", "f", "20", "y", "0", ""},
                    {"1", "m", "30", "n", "130", "0.5"},
                    {"1", "f", "40", "n", "135", "-1.0"},
                    {"2", "f", "15", "n", "110", "-3.5"},
                    {"2", "m", "50", "n", "140", "1.0"},
                    {"3", "f", "25", "n", "125", "-5.5"},
                    {"3", "m", "45", "n", "118", "-2.0"},
                    {"3", "f", "55", "n", "150", "0.0"}});
}

const core::LanguageTable& language() {
  static const core::LanguageTable table = [] {
    std::ifstream in(test::source_path("data/english.lng"), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    core::LanguageTable t;
    t.read_english(s.str());
    return t;
  }();
  return table;
}

ResultsPageInputs inputs(ResultsIndex index, ResultsGrouping grouping,
                         core::ExclusionMode mode = core::ExclusionMode::epi_info) {
  core::OptionsPage options;
  options.exclusion = mode;
  ResultsPageInputs in = results_page_inputs(options, {}, '.');
  in.index = index;
  in.grouping = grouping;
  return in;
}

std::vector<std::string> lines_of_survey(const core::SurveyTable& survey,
                                         const ResultsPageInputs& in) {
  return MainTextResults(results_page_values(survey, in), in, language());
}

std::vector<std::string> lines_of(const ResultsPageInputs& in) {
  return lines_of_survey(fixture(), in);
}

TEST(ResultsPage, WhzLinesWorkedByHand) {
  const auto in = inputs(ResultsIndex::whz, ResultsGrouping::all);
  const ResultsPageValues v = results_page_values(fixture(), in);
  // Epi Info 6 blanks r7 (WHZ -5.5 < -5): excluded 1; r2 has SEX but no WHZ: missing 1.
  EXPECT_EQ(v.excluded_z, 1);
  EXPECT_EQ(v.missing_z, 1);
  // Wasting family: n = 8 (r2 by its oedema, r7 left out) with m = 4, 2, 2 per cluster and
  // global cases a = 2 (r1, r2), 1 (r5), 0. p = 3/8, mean cluster size 8/3, residuals
  // (a - p m) / mbar = 0.1875, 0.09375, -0.28125; SS = 0.123046875; SE^2 = SS / 6 = 0.0205078;
  // V = SE^2 / (p(1-p))^2 = 0.37333; logit(p) = -0.5108 -/+ t(2) 4.30265 x 0.61101 gives
  // 4.1% and 89.3%.
  EXPECT_EQ(v.subsets[0].n, 8);
  EXPECT_NEAR(v.subsets[0].a.interval.lower, 4.14955, 1e-4);
  EXPECT_NEAR(v.subsets[0].a.interval.upper, 89.26537, 1e-4);
  // Mean of the 7 WHZ present: -7.5 / 7 = -1.0714; squares about it sum to 16.714, / 6 ->
  // SD 1.6690.
  EXPECT_EQ(v.summary.n, 7);
  EXPECT_NEAR(v.summary.mean, -1.071429, 1e-5);
  EXPECT_NEAR(v.summary.sd, 1.669046, 1e-5);
  // By cluster WHZ present m = 3, 2, 2 and WHZ < -2 a = 1, 1, 0: r = 2/7; cluster variance
  // 1.5 (r^2 17 + 2 - 2 r 5) / 49 = 0.01624 against r(1-r)/7 = 0.02915: below 1, reported 1.
  EXPECT_DOUBLE_EQ(v.design_effect, 1.0);

  const std::vector<std::string> lines = MainTextResults(v, in, language());
  ASSERT_EQ(lines.size(), 27u);
  EXPECT_EQ(lines[0], "Results for WHZ:");
  EXPECT_EQ(lines[2], "Prevalence of global malnutrition");
  EXPECT_EQ(lines[3], "(<-2 z-score and/or oedema)");
  EXPECT_EQ(lines[4], "All   (n=  8): (  3) 37.5% ( 4.1-89.3 95% CI)");
  // Boys m = 2, 1, 1 with a = 1, 0, 0: 25.0% (0.4-96.1).
  EXPECT_EQ(lines[5], "Boys  (n=  4): (  1) 25.0% ( 0.4-96.1 95% CI)");
  // Girls m = 2, 1, 1 with a = 1 (r2), 1 (r5), 0: 50.0% (2.4-97.6).
  EXPECT_EQ(lines[6], "Girls (n=  4): (  2) 50.0% ( 2.4-97.6 95% CI)");
  EXPECT_EQ(lines[8], "Prevalence of moderate malnutrition");
  EXPECT_EQ(lines[10].substr(0, 27), "All   (n=  8): (  1) 12.5% ");  // r1 only
  EXPECT_EQ(lines[16].substr(0, 27), "All   (n=  8): (  2) 25.0% ");  // r2 and r5
  // 1 oedema case in 8: "Oedema 12.5%" reaches the 13th character, so the count follows.
  EXPECT_EQ(lines[20], "Oedema 12.5% (n=1)");
  EXPECT_EQ(lines[21],
            "Mean of WHZ    (n=7)   : -1.07\xB1"
            "1.67");
  EXPECT_EQ(lines[22], "Design effect WHZ < -2    : 1.00");
  EXPECT_EQ(lines[23], "Z-scores not available: 1");
  EXPECT_EQ(lines[24], "Z-scores excluded: 1");
}

TEST(ResultsPage, MuacOfZeroIsNeitherMeasuredNorACase) {
  const auto in = inputs(ResultsIndex::muac, ResultsGrouping::all);
  const ResultsPageValues v = results_page_values(fixture(), in);
  // MUAC family: MUAC above 0 or oedema: all 9 (r2 by its oedema); m = 4, 2, 3; a (below 125 or
  // oedema) = r1 r2 | r5 | r8 = 4; b (115 to 124) = r1, r8; c (below 115 or oedema) = r2, r5.
  // Residuals (a - 4/9 m) / 3 = 0.0741, 0.0370, -0.1111; SS = 0.019204; V = 0.0525;
  // limits 23.0% and 68.2%.
  EXPECT_EQ(v.subsets[0].n, 9);
  EXPECT_EQ(v.subsets[0].a.count, 4);
  EXPECT_NEAR(v.subsets[0].a.interval.lower, 22.98771, 1e-4);
  EXPECT_NEAR(v.subsets[0].a.interval.upper, 68.19436, 1e-4);
  // Mean over the 8 measured MUACs (r2's 0 is none): 1028 / 8 = 128.5; squares about it 1176,
  // / 7 = 168, SD 12.96. Counting the 0 would give n 9 and a mean of 114.2.
  EXPECT_EQ(v.summary.n, 8);
  EXPECT_DOUBLE_EQ(v.summary.mean, 128.5);
  const std::vector<std::string> lines = MainTextResults(v, in, language());
  EXPECT_EQ(lines[0], "Results for MUAC:");
  EXPECT_EQ(lines[3], "MUAC < 125 mm or edema");
  EXPECT_EQ(lines[4], "All   (n=  9): (  4) 44.4% (23.0-68.2 95% CI)");
  EXPECT_EQ(lines[9], "MUAC < 125 and MUAC >= 115 mm");
  EXPECT_EQ(lines[15], "MUAC < 115 mm or edema");
  EXPECT_EQ(lines[20], "Oedema 11.1% (n=1)");
  EXPECT_EQ(lines[21],
            "Mean of MUAC   (n=8)   : 128.5\xB1"
            "13.0");
  // By cluster over measured MUAC: m = 3, 2, 3, a (below 125) = 1, 1, 1; r = 3/8; the cluster
  // variance 1.5 (r^2 22 + 3 - 2 r 8) / 64 = 0.0022 is below r(1-r)/8 = 0.0293: 1.
  EXPECT_EQ(lines[22], "Design effect MUAC <125mm :   1.00");
  EXPECT_EQ(lines[23], "");  // no z-score counters for MUAC
}

TEST(ResultsPage, ExclusionModeChangesWhoIsCounted) {
  // Without exclusion r7 (WHZ -5.5) is a severe case: n 9, global 4 (r1, r2, r5, r7).
  const auto in = inputs(ResultsIndex::whz, ResultsGrouping::all, core::ExclusionMode::none);
  const std::vector<std::string> lines = lines_of(in);
  EXPECT_EQ(lines[4].substr(0, 27), "All   (n=  9): (  4) 44.4% ");
  EXPECT_EQ(lines[24], "Z-scores excluded: 0");
}

TEST(ResultsPage, SubsetOfFewerThanTwoChildrenLeavesItsLinesEmpty) {
  const core::SurveyTable survey = survey_of({{"1", "m", "10", "n", "120", "-2.5"},
                                              {"2", "m", "20", "n", "130", "-1.0"},
                                              {"2", "f", "20", "n", "130", "-1.0"}});
  const auto in = inputs(ResultsIndex::whz, ResultsGrouping::sex);
  const std::vector<std::string> lines =
      MainTextResults(results_page_values(survey, in), in, language());
  EXPECT_FALSE(lines[4].empty());  // all: 3
  EXPECT_FALSE(lines[5].empty());  // boys: 2
  EXPECT_TRUE(lines[6].empty());   // girls: 1
  EXPECT_TRUE(lines[12].empty());
  EXPECT_TRUE(lines[18].empty());
}

// Line 28 says the intervals include the correction only when it went into them; otherwise it
// says why not, and the intervals are those without it.
TEST(ResultsPage, SmallPopulationCorrectionLine28SaysWhetherItWasApplied) {
  const core::SurveyTable one_cluster = survey_of({{"1", "m", "10", "n", "120", "-2.5"},
                                                   {"1", "f", "20", "n", "130", "-1.0"},
                                                   {"1", "m", "30", "n", "130", "0.5"}});
  struct Case {
    const char* what;
    stats::PopulationCorrectionInputs planning;
    core::SurveyTable survey;
    stats::PopulationCorrection state;
    int entry;
  };
  // Children eligible: population x under-five share x 0.9; 9 of 9000 applies, 50 of 18 is
  // more than there are.
  const Case cases[] = {
      {"applied", {true, "50000", "20", "9", "0"}, fixture(),
       stats::PopulationCorrection::applied, 30},
      {"sample larger than the population", {true, "100", "20", "50", "0"}, fixture(),
       stats::PopulationCorrection::sample_exceeds_population, 1352},
      {"population size not a number", {true, "", "20", "9", "0"}, fixture(),
       stats::PopulationCorrection::inputs_unreadable, 1353},
      {"one cluster: Wilson interval", {true, "50000", "20", "9", "0"}, one_cluster,
       stats::PopulationCorrection::not_requested, 1354},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto in = inputs(ResultsIndex::whz, ResultsGrouping::all);
    in.analysis.population_correction = c.planning;
    const ResultsPageValues v = results_page_values(c.survey, in);
    EXPECT_EQ(v.population_correction, c.state);
    const std::vector<std::string> lines = MainTextResults(v, in, language());
    ASSERT_EQ(lines.size(), 28u);
    EXPECT_EQ(lines[27], language().text(c.entry));
    EXPECT_FALSE(lines[27].empty());
    if (c.state != stats::PopulationCorrection::applied) {
      // Without the correction the count lines are those of an unticked box.
      auto unticked = in;
      unticked.analysis.population_correction = {};
      EXPECT_EQ(lines[4], lines_of_survey(c.survey, unticked)[4]);
    }
  }
  // Unticked: no line 28.
  EXPECT_EQ(lines_of(inputs(ResultsIndex::whz, ResultsGrouping::all)).size(), 27u);
}

// Children whose CLUSTER cannot be placed are in no prevalence: line 29 counts them, after the
// figures (and after line 28 when the correction is ticked).
TEST(ResultsPage, ChildrenLeftOutForTheirClusterAreCountedOnLine29) {
  core::SurveyTable survey = fixture();
  survey.set_cell(StdVar::cluster, 1, "1a");
  survey.set_cell(StdVar::cluster, 3, "1000");
  const std::string note = language().text(analysis::kLeftOutForClusterEntry);
  // WHZ and MUAC: r1 and r3 have a value of each; by age, r1 is 10 and r3 30 months old.
  const std::pair<ResultsIndex, ResultsGrouping> cases[] = {
      {ResultsIndex::whz, ResultsGrouping::all},
      {ResultsIndex::muac, ResultsGrouping::sex},
      {ResultsIndex::muac, ResultsGrouping::age}};
  for (const auto& [index, grouping] : cases) {
    SCOPED_TRACE(std::string(index_name(index)) + " by grouping " +
                 std::to_string(static_cast<int>(grouping)));
    const auto in = inputs(index, grouping);
    const ResultsPageValues v = results_page_values(survey, in);
    EXPECT_EQ(v.rows_with_unusable_cluster, 2);
    const std::vector<std::string> lines = MainTextResults(v, in, language());
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines[27], "");
    EXPECT_EQ(lines[28], note + " 2");
  }
  // Every cluster usable: no line 29.
  EXPECT_EQ(lines_of(inputs(ResultsIndex::whz, ResultsGrouping::all)).size(), 27u);
}

TEST(ResultsPage, MuacClassesByAgeBand) {
  const auto in = inputs(ResultsIndex::muac, ResultsGrouping::age);
  const std::vector<std::string> lines = lines_of(in);
  EXPECT_EQ(lines[0], language().text(31));
  EXPECT_EQ(lines[2], "MUAC < 115 mm");
  EXPECT_EQ(lines[10], "MUAC >= 115, MUAC < 125 mm");
  EXPECT_EQ(lines[18], "MUAC >= 125 mm");
  // Bands < 6, 6 to 17, 18 to 29, 30 to 41, 42 to 53, >= 54. "6 to 17": r1 (120, c1) and r5
  // (110, c2); below 115 one child in cluster 2 only: residuals +-0.5, SE^2 0.25, V 4, t(1)
  // 12.706: limits 0.0 and 100.0.
  EXPECT_EQ(lines[4], "6 to 17  (  2): (  1) 50.0% ( 0.0-100.0 95% CI)");
  EXPECT_EQ(lines[12], "6 to 17  (  2): (  1) 50.0% ( 0.0-100.0 95% CI)");
  EXPECT_EQ(lines[20], "6 to 17  (  2): (  0)  0.0% ( 0.0- 0.0 95% CI)");
  // "18 to 29": r2's MUAC 0 is not measured, r7 alone: fewer than two, empty.
  EXPECT_EQ(lines[5], "");
  // "30 to 41": r3 and r4, both cluster 1: the Wilson interval of 2 in 2, centre 1.9604,
  // half-width 0.9604, divided by 1.9208: 34.2% to 100.0%.
  EXPECT_EQ(lines[22], "30 to 41 (  2): (  2) 100.0% (34.2-100.0 95% CI)");
}

// A cluster sample in which every child, or no child, is a case: the interval collapses onto
// the estimate, which it must contain (at 100 % it once printed 0.0-0.0).
TEST(ResultsPage, IntervalAtNoneOrEveryChildACaseHoldsTheEstimate) {
  const core::SurveyTable survey = survey_of({{"1", "m", "10", "n", "120", "-3.5"},
                                              {"1", "f", "20", "n", "120", "-3.1"},
                                              {"2", "m", "30", "n", "120", "-3.2"}});
  const auto in = inputs(ResultsIndex::whz, ResultsGrouping::all);
  const std::vector<std::string> lines = lines_of_survey(survey, in);
  EXPECT_EQ(lines[4], "All   (n=  3): (  3) 100.0% (100.0-100.0 95% CI)");  // global
  EXPECT_EQ(lines[10], "All   (n=  3): (  0)  0.0% ( 0.0- 0.0 95% CI)");    // moderate
  EXPECT_EQ(lines[16], "All   (n=  3): (  3) 100.0% (100.0-100.0 95% CI)");  // severe
}

TEST(ResultsPage, GroupMeansByClusterAndAge) {
  const auto in = inputs(ResultsIndex::whz, ResultsGrouping::cluster, core::ExclusionMode::none);
  const std::vector<std::string> lines = lines_of(in);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], language().text(872));
  EXPECT_EQ(lines[1], "");
  // Cluster 1: -2.5, 0.5, -1.0: mean -1.00, SD sqrt(4.5 / 2) = 1.50.
  EXPECT_EQ(lines[2], "Cluster 1 :         -1.00 \xB1 1.50 (n=3)");
  // Cluster 2: -3.5, 1.0: mean -1.25, SD sqrt(10.125) = 3.18.
  EXPECT_EQ(lines[3], "Cluster 2 :         -1.25 \xB1 3.18 (n=2)");
  // Cluster 3: -5.5, -2.0, 0.0: mean -2.50, SD sqrt(15.5 / 2) = 2.78.
  EXPECT_EQ(lines[4], "Cluster 3 :         -2.50 \xB1 2.78 (n=3)");

  const auto by_age = inputs(ResultsIndex::whz, ResultsGrouping::age, core::ExclusionMode::none);
  const std::vector<std::string> age = lines_of(by_age);
  ASSERT_EQ(age.size(), 8u);  // title, empty, six bands
  EXPECT_EQ(age[2], "Age < 6:" + std::string(13, ' ') + "0.00 \xB1 0.00 (n=0)");
  // 6 to 17: r1 -2.5 and r5 -3.5: mean -3.00, SD 0.71.
  EXPECT_EQ(age[3], "Age 6 to 17:" + std::string(8, ' ') + "-3.00 \xB1 0.71 (n=2)");
}

TEST(ResultsPage, WriteOverKeepsEveryFigure) {
  struct Case {
    const char* line;
    std::size_t column;
    const char* expected;
  } cases[] = {
      {"Oedema 2.5%", 12, "Oedema 2.5% (n=3)"},    // padded to the column
      {"Oedema 12.5%", 12, "Oedema 12.5% (n=3)"},  // text before the column: follows
      {"Mean of WHZ            : 1", 15, "Mean of WHZ    (n=3)   : 1"},
      {"Mean of WHZ            : 1", 21, "Mean of WHZ            : 1 (n=3)"},  // over ':'
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(write_over(c.line, c.column, "(n=3)"), c.expected);
  }
}

}  // namespace
}  // namespace olvar::reports
