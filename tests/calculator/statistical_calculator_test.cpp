#include "calculator/statistical_calculator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "core/standard_variables.h"

namespace olvar::calculator {
namespace {

using core::StdVar;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Pair;
using ::testing::StartsWith;

constexpr int kCluster = core::column(StdVar::cluster);
constexpr int kSex = core::column(StdVar::sex);
constexpr int kEdema = core::column(StdVar::edema);
constexpr int kMuac = core::column(StdVar::muac);
constexpr int kWhz = core::column(StdVar::whz);
constexpr int kSource = 20;  // a user variable

// One child per row of a small survey.
struct Child {
  const char* cluster;
  const char* sex;
  const char* whz;
  const char* edema;
};

core::SurveyTable survey_of(const std::vector<Child>& children) {
  core::SurveyTable survey;
  survey.resize(survey.column_count(),
                std::max(survey.row_count(), static_cast<int>(children.size()) + 2));
  survey.set_cell(kSource, 0, "SOURCE");
  int row = 1;
  for (const Child& c : children) {
    survey.set_cell(StdVar::cluster, row, c.cluster);
    survey.set_cell(StdVar::id, row, std::to_string(row));
    survey.set_cell(StdVar::sex, row, c.sex);
    survey.set_cell(StdVar::whz, row, c.whz);
    survey.set_cell(StdVar::edema, row, c.edema);
    ++row;
  }
  return survey;
}

// The survey worked by hand below: ten children in three clusters.
//   cluster 1: m -2.5 n, f -1.0 n, m -0.5 n, f -2.1 n
//   cluster 2: f  0.5 n, m -1.5 n, f  1.0 n
//   cluster 3: m -3.0 y, m -2.0 n, f  0.1 n
std::vector<Child> hand_worked(const char* c1 = "1", const char* c2 = "2", const char* c3 = "3") {
  return {{c1, "m", "-2.5", "n"}, {c1, "f", "-1.0", "n"}, {c1, "m", "-0.5", "n"},
          {c1, "f", "-2.1", "n"}, {c2, "f", "0.5", "n"},  {c2, "m", "-1.5", "n"},
          {c2, "f", "1.0", "n"},  {c3, "m", "-3.0", "y"}, {c3, "m", "-2.0", "n"},
          {c3, "f", "0.1", "n"}};
}

analysis::AnalysisOptions no_exclusion() {
  analysis::AnalysisOptions o;
  o.mode = core::ExclusionMode::none;
  return o;
}

CalculatorInputs main_variable(int column, VariableKind kind) {
  CalculatorInputs in;
  in.main_column = column;
  in.main_kind = kind;
  return in;
}

std::vector<std::string> lines(const core::SurveyTable& survey, const CalculatorInputs& in,
                               const analysis::AnalysisOptions& options = no_exclusion()) {
  return Calculate(survey, options, in).lines;
}

CalculatorValues values(const core::SurveyTable& survey, const CalculatorInputs& in,
                        const analysis::AnalysisOptions& options = no_exclusion()) {
  return calculator_values(survey, options, in);
}

const stats::ColumnSummary& numbers(const std::optional<Summary>& summary) {
  return std::get<stats::ColumnSummary>(summary.value());
}
const stats::CategoryCounts& counts(const std::optional<Summary>& summary) {
  return std::get<stats::CategoryCounts>(summary.value());
}
const stats::ColumnSummary& numbers(const Summary& summary) {
  return std::get<stats::ColumnSummary>(summary);
}
const stats::CategoryCounts& counts(const Summary& summary) {
  return std::get<stats::CategoryCounts>(summary);
}

// The counts as entry -> count pairs, in order, for one comparison.
std::vector<std::pair<std::string, std::int64_t>> tally_of(const stats::CategoryCounts& c) {
  std::vector<std::pair<std::string, std::int64_t>> out;
  for (const stats::CategoryCount& category : c.categories)
    out.emplace_back(category.entry, category.count);
  return out;
}

const PrevalenceFigures& figures(const PrevalenceRate& rate) {
  return std::get<PrevalenceFigures>(rate.result);
}

MATCHER_P6(SummaryIs, n, mean, sd, min, max, median, "") {
  constexpr double kTolerance = 5e-5;
  return arg.n == n && std::abs(arg.mean - mean) < kTolerance &&
         std::abs(arg.sd - sd) < kTolerance && std::abs(arg.min - min) < kTolerance &&
         std::abs(arg.max - max) < kTolerance && std::abs(arg.median - median) < kTolerance;
}

// Figures worked by hand, compared to 1e-4 of a percent.
MATCHER_P6(FiguresAre, cases, n, percent, lower, upper, design_effect, "") {
  constexpr double kTolerance = 1e-4;
  return arg.cases == cases && arg.n == n && std::abs(arg.percent - percent) < kTolerance &&
         std::abs(arg.lower - lower) < kTolerance && std::abs(arg.upper - upper) < kTolerance &&
         std::abs(arg.design_effect - design_effect) < kTolerance;
}

bool same_figures(const PrevalenceFigures& a, const PrevalenceFigures& b) {
  return a.cases == b.cases && a.n == b.n && a.percent == b.percent && a.lower == b.lower &&
         a.upper == b.upper && a.design_effect == b.design_effect;
}

// --- Values ------------------------------------------------------------------------------------

// WHZ, all ten children: sum -11.0, n 10, mean -1.10.
//   deviations -1.4 0.1 0.6 -1.0 1.6 -0.4 2.1 -1.9 -0.9 1.2; squares sum to 16.32
//   SD = sqrt(16.32 / 9) = 1.34660; sorted: -3.0 -2.5 -2.1 -2.0 -1.5 -1.0 -0.5 0.1 0.5 1.0;
//   median at position 5: -1.5
// The range pass from -3 to -2 keeps -2.5 -2.1 -3.0 -2.0 (both bounds included):
//   mean -2.40; squares .01 .09 .36 .16 = .62; SD = sqrt(.62 / 3) = 0.45461; median at
//   position 2: -2.5
// Crossed with SEX in that range: rows m -2.5, f -2.1, m -3.0, m -2.0: m 3, f 1.
TEST(CalculatorValues, DescriptiveStatisticsOfAHandWorkedSurvey) {
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.ranges[1] = {"-3", "-2"};
  in.crossings[0] = {kSex, VariableKind::categorical};
  const CalculatorValues v = values(survey_of(hand_worked()), in);
  ASSERT_TRUE(v.variable_chosen);
  EXPECT_EQ(v.main_variable, "WHZ");
  ASSERT_EQ(v.passes.size(), 2u);
  EXPECT_EQ(v.passes[0].range, 0);
  EXPECT_THAT(numbers(v.passes[0].descriptive), SummaryIs(10, -1.1, 1.346601, -3.0, 1.0, -1.5));
  ASSERT_EQ(v.passes[0].crossings.size(), 1u);
  EXPECT_EQ(v.passes[0].crossings[0].variable, "SEX");
  EXPECT_THAT(tally_of(counts(v.passes[0].crossings[0].selected)),
              ElementsAre(Pair("m]", 5), Pair("f]", 5)));

  EXPECT_EQ(v.passes[1].range, 2);
  EXPECT_FALSE(v.passes[1].bounds_unreadable);
  EXPECT_THAT(numbers(v.passes[1].descriptive), SummaryIs(4, -2.4, 0.454606, -3.0, -2.0, -2.5));
  EXPECT_THAT(tally_of(counts(v.passes[1].crossings[0].selected)),
              ElementsAre(Pair("m]", 3), Pair("f]", 1)));
  EXPECT_FALSE(v.prevalence.has_value());
}

// SEX against WHZ and EDEMA.
//   m: -2.5 -0.5 -1.5 -3.0 -2.0: mean -1.90, squares .36 1.96 .16 1.21 .01 = 3.70,
//      SD = sqrt(3.70 / 4) = 0.96177, median (position 3 of -3 -2.5 -2 -1.5 -0.5) -2.0;
//      oedema n n n y n: n 4, y 1
//   f: -1.0 -2.1 0.5 1.0 0.1: mean -0.30, squares .49 3.24 .64 1.69 .16 = 6.22,
//      SD = sqrt(6.22 / 4) = 1.24700, median (position 3 of -2.1 -1 0.1 0.5 1) 0.1; oedema all n
TEST(CalculatorValues, CrossTablesOfACategoricalVariable) {
  CalculatorInputs in = main_variable(kSex, VariableKind::categorical);
  in.crossings[0] = {kWhz, VariableKind::continuous};
  in.crossings[2] = {kEdema, VariableKind::categorical};
  const CalculatorValues v = values(survey_of(hand_worked()), in);
  ASSERT_EQ(v.passes.size(), 1u);
  EXPECT_THAT(tally_of(counts(v.passes[0].descriptive)), ElementsAre(Pair("m]", 5), Pair("f]", 5)));
  const std::vector<CrossingValues>& crossings = v.passes[0].crossings;
  ASSERT_EQ(crossings.size(), 2u);  // the empty second list takes no part

  ASSERT_EQ(crossings[0].by_category.size(), 2u);
  EXPECT_EQ(crossings[0].by_category[0].category, "m");
  EXPECT_THAT(numbers(crossings[0].by_category[0].summary),
              SummaryIs(5, -1.9, 0.961769, -3.0, -0.5, -2.0));
  EXPECT_EQ(crossings[0].by_category[1].category, "f");
  EXPECT_THAT(numbers(crossings[0].by_category[1].summary),
              SummaryIs(5, -0.3, 1.246996, -2.1, 1.0, 0.1));

  EXPECT_EQ(crossings[1].variable, "EDEMA");
  EXPECT_THAT(tally_of(counts(crossings[1].by_category[0].summary)),
              ElementsAre(Pair("n]", 4), Pair("y]", 1)));
  EXPECT_THAT(tally_of(counts(crossings[1].by_category[1].summary)),
              ElementsAre(Pair("n]", 5), Pair("y]", 0)));
}

// WHZ < -2: cases -2.5, -2.1 (cluster 1) and -3.0 (cluster 3); -2.0 is not below -2.
//   n = 4, 3, 3; a = 2, 0, 1; N = 10, A = 3, p = 0.3
//   mean cluster size 10/3; residuals (a - p n) / (10/3) = 0.24, -0.27, 0.03 (mean 0)
//   SS = .0576 + .0729 + .0009 = .1314; SE = sqrt(.1314 / (3 * 2)) = 0.14799
//   t(2) = 4.302653; logit ln(.3/.7) = -0.847298; V = SE^2 / (.3 * .7)^2 = 0.496599
//   limits 100 / (1 + e^-(L -/+ t sqrt V)) = 2.024556 % and 89.887358 %
// Design effect: X = 10, Y = 3, Sxx = 34, Syy = 5, Sxy = 11, r = 0.3
//   cluster variance 3/2 * (.09 * 34 + 5 - .6 * 11) / 100 = 0.0219; SRS variance .21/10 = 0.021
//   design effect 1.042857
// Numbered 1, 2 and 5 the clusters give the same figures: the empty numbers 3 and 4 hold no
// data (counted, they would make the design effect 5/4 * 1.46/100 / 0.021 = 0.87, kept at 1).
TEST(CalculatorValues, PrevalenceWithIntervalAndDesignEffect) {
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.descriptive = false;
  in.prevalence = {kWhz, "<", "-2", {}};
  const CalculatorValues v = values(survey_of(hand_worked()), in);
  ASSERT_TRUE(v.prevalence.has_value());
  EXPECT_EQ(v.prevalence->variable, "WHZ");
  EXPECT_EQ(v.prevalence->unplaced, 0);
  ASSERT_EQ(v.prevalence->rates.size(), 1u);
  const PrevalenceFigures& f = figures(v.prevalence->rates[0]);
  EXPECT_THAT(f, FiguresAre(3, 10, 30.0, 2.024556, 89.887358, 1.042857));

  const CalculatorValues gap = values(survey_of(hand_worked("1", "2", "5")), in);
  EXPECT_TRUE(same_figures(figures(gap.prevalence->rates[0]), f));
}

// Clusters 1 to 30 with number 17 unused: 29 clusters hold data, so the interval takes t with
// 28 degrees of freedom and the design effect counts 29 clusters, exactly as for the same
// children numbered 1 to 29 without a gap.
TEST(CalculatorValues, AGapInTheClusterNumbersChangesNothing) {
  std::vector<std::string> numbers;
  for (int n = 0; n <= 30; ++n) numbers.push_back(std::to_string(n));
  // Six children per cluster, c % 4 of them wasted: 43 cases in 174 children.
  const auto survey_numbered = [&numbers](bool with_gap) {
    std::vector<Child> children;
    for (int c = 1; c <= 29; ++c) {
      const int number = with_gap && c >= 17 ? c + 1 : c;
      for (int i = 0; i < 6; ++i) {
        children.push_back({numbers[static_cast<std::size_t>(number)].c_str(), i % 2 ? "f" : "m",
                            i < c % 4 ? "-2.5" : "0.2", "n"});
      }
    }
    return survey_of(children);
  };
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.descriptive = false;
  in.prevalence = {kWhz, "<", "-2", {}};
  const PrevalenceFigures gap = figures(values(survey_numbered(true), in).prevalence->rates[0]);
  EXPECT_TRUE(same_figures(gap, figures(values(survey_numbered(false), in).prevalence->rates[0])));
  EXPECT_EQ(gap.cases, 43);
  EXPECT_EQ(gap.n, 174);
}

// With every child in cluster 1 (or without a cluster, which the analysis table fills with 1),
// k = 1: the Wilson interval for 3 of 10, z = 1.96:
//   centre .3 + 3.8416/20 = .49208; half-width 1.96 sqrt((.21 + .09604) / 10) = .342876;
//   divided by 1 + .38416: 10.778929 % and 60.322678 %; the design effect is 1.
TEST(CalculatorValues, OneClusterGetsTheWilsonInterval) {
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.descriptive = false;
  in.prevalence = {kWhz, "<", "-2", {}};
  for (const char* cluster : {"1", ""}) {
    SCOPED_TRACE(cluster);
    const CalculatorValues v = values(survey_of(hand_worked(cluster, cluster, cluster)), in);
    EXPECT_THAT(figures(v.prevalence->rates[0]),
                FiguresAre(3, 10, 30.0, 10.778929, 60.322678, 1.0));
  }
}

TEST(CalculatorValues, PrevalenceByRangeAndByCategory) {
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.descriptive = false;
  in.prevalence = {kWhz, "<", "-2", {}};
  const PrevalenceFigures cutoff =
      figures(values(survey_of(hand_worked()), in).prevalence->rates[0]);
  // The range ending at -2.05 leaves -2.0 out: the three cases of the cut-off "< -2", a = 2, 0, 1
  // over n = 4, 3, 3, and so the same figures.
  in.prevalence = {kWhz, "", "", {"-3", "-2.05"}};
  const CalculatorValues range = values(survey_of(hand_worked()), in);
  ASSERT_EQ(range.prevalence->rates.size(), 1u);
  EXPECT_TRUE(std::holds_alternative<RangeCondition>(range.prevalence->rates[0].condition));
  EXPECT_TRUE(same_figures(figures(range.prevalence->rates[0]), cutoff));

  // Both a cut-off and a range: a rate for each, the cut-off first.
  in.prevalence = {kWhz, "<", "-2", {"-3", "-2.05"}};
  const CalculatorValues both = values(survey_of(hand_worked()), in);
  ASSERT_EQ(both.prevalence->rates.size(), 2u);
  EXPECT_TRUE(std::holds_alternative<CutoffCondition>(both.prevalence->rates[0].condition));
  EXPECT_TRUE(std::holds_alternative<RangeCondition>(both.prevalence->rates[1].condition));

  // Without cut-off and range, one rate per category in order of first appearance: the oedema
  // case is in cluster 3 alone.
  in.prevalence = {kEdema, "", "", {}};
  const CalculatorValues by_category = values(survey_of(hand_worked()), in);
  const std::vector<PrevalenceRate>& rates = by_category.prevalence->rates;
  ASSERT_EQ(rates.size(), 2u);
  EXPECT_EQ(std::get<CategoryCondition>(rates[0].condition).category, "n");
  EXPECT_EQ(figures(rates[0]).cases, 9);
  EXPECT_EQ(figures(rates[0]).n, 10);
  EXPECT_EQ(std::get<CategoryCondition>(rates[1].condition).category, "y");
  EXPECT_EQ(figures(rates[1]).cases, 1);
  EXPECT_EQ(figures(rates[1]).n, 10);

  // A text of blanks is no value: out of n, and so no category of cases either.
  core::SurveyTable blank = survey_of(hand_worked());
  blank.set_cell(StdVar::edema, 2, "  ");
  const CalculatorValues without_blank = values(blank, in);
  ASSERT_EQ(without_blank.prevalence->rates.size(), 2u);
  EXPECT_EQ(figures(without_blank.prevalence->rates[0]).cases, 8);
  EXPECT_EQ(figures(without_blank.prevalence->rates[0]).n, 9);
  EXPECT_EQ(figures(without_blank.prevalence->rates[1]).n, 9);
}

TEST(CalculatorValues, RecordsOutsideTheClusterNumbersAreLeftOutAndCounted) {
  std::vector<Child> children = hand_worked();
  children.push_back({"1000", "m", "-4.0", "n"});
  children.push_back({"2a", "f", "-4.0", "n"});
  children.push_back({"2.0", "f", "-4.0", "n"});
  children.push_back({"x", "f", "", "n"});  // no value: not counted as unplaced
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.descriptive = false;
  in.prevalence = {kWhz, "<", "-2", {}};
  const CalculatorValues v = values(survey_of(children), in);
  EXPECT_EQ(v.prevalence->unplaced, 3);
  EXPECT_TRUE(same_figures(figures(v.prevalence->rates[0]),
                           figures(values(survey_of(hand_worked()), in).prevalence->rates[0])));
}

TEST(CalculatorValues, EveryPassReadsTheAnalysisTableWithTheFlagsInForce) {
  // Epi Info flags blank a WHZ below -5: -7.0 takes no part in the statistics.
  std::vector<Child> children = hand_worked();
  children.push_back({"2", "m", "-7.0", "n"});
  analysis::AnalysisOptions flags;
  flags.mode = core::ExclusionMode::epi_info;
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.ranges[0] = {"-10", "0"};
  const CalculatorValues v = values(survey_of(children), in, flags);
  ASSERT_EQ(v.passes.size(), 2u);
  EXPECT_EQ(numbers(v.passes[0].descriptive).n, 10);
  EXPECT_NEAR(numbers(v.passes[0].descriptive).mean, -1.1, 1e-6);
  // The range pass starts again from the flagged table: the -7.0 stays out there too.
  EXPECT_EQ(numbers(v.passes[1].descriptive).n, 7);
  EXPECT_EQ(numbers(values(survey_of(children), in).passes[0].descriptive).n, 11);
}

TEST(CalculatorValues, CategoryTextsAreComparedExactly) {
  core::SurveyTable survey = survey_of(hand_worked());
  const char* texts[] = {"1", "10", "1", "a; b", "", "", "", "", "", ""};
  for (int row = 1; row <= 10; ++row) survey.set_cell(kSource, row, texts[row - 1]);
  const CalculatorValues v = values(survey, main_variable(kSource, VariableKind::categorical));
  const stats::CategoryCounts& c = counts(v.passes[0].descriptive);
  EXPECT_EQ(c.n, 4);
  EXPECT_THAT(tally_of(c), ElementsAre(Pair("1]", 2), Pair("10]", 1), Pair("a; b]", 1)));
}

TEST(CalculatorValues, TooManyCategoriesKeepTheFirst999) {
  core::SurveyTable survey;
  survey.set_cell(kSource, 0, "SOURCE");
  survey.resize(survey.column_count(), 1002);
  for (int row = 1; row <= 1000; ++row) {
    survey.set_cell(StdVar::id, row, std::to_string(row));
    survey.set_cell(kSource, row, "s" + std::to_string(row));
  }
  CalculatorInputs in = main_variable(kSource, VariableKind::categorical);
  in.crossings[0] = {kSource, VariableKind::categorical};
  const CalculatorValues v = values(survey, in);
  EXPECT_TRUE(v.too_many_categories);
  const stats::CategoryCounts& c = counts(v.passes[0].descriptive);
  EXPECT_EQ(c.n, 999);
  ASSERT_EQ(c.categories.size(), 999u);
  EXPECT_EQ(c.categories.front().entry, "s1]");
  EXPECT_EQ(c.categories.back().entry, "s999]");
  EXPECT_EQ(v.passes[0].crossings[0].by_category.size(), 999u);
  // Said once, however many variables and passes run into the limit.
  EXPECT_THAT(Calculate(survey, no_exclusion(), in).messages,
              ElementsAre(std::string(kTooManyCases)));
}

TEST(CalculatorValues, ARangeFromZeroToZeroSelectsTheZeros) {
  core::SurveyTable survey = survey_of(hand_worked());
  survey.set_cell(StdVar::whz, 3, "0");
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.descriptive = false;
  in.ranges[0] = {"0", "0"};
  in.crossings[0] = {kSex, VariableKind::categorical};
  const CalculatorValues v = values(survey, in);
  ASSERT_EQ(v.passes.size(), 2u);
  // The range pass lists only the categories of its own records.
  EXPECT_THAT(tally_of(counts(v.passes[1].crossings[0].selected)), ElementsAre(Pair("m]", 1)));
}

// --- Layout: the lines users' scripts read from `olvar-cli calc`
// ----------------------------------

// Every line of a continuous main variable: a range pass, a range left out, crossings of both
// kinds, records without a cluster, and the prevalence (figures as worked out above). The
// child of cluster "2a" adds WHZ -4.0 to the statistics: eleven values, sum -15.0, mean -1.36,
// SD 1.548, 95% CI -1.364 -/+ 1.96 * 1.548 / sqrt(11) = -2.28 to -0.45; it has no SEX.
TEST(CalculatorLines, AContinuousVariableWithRangesCrossingsAndPrevalence) {
  std::vector<Child> children = hand_worked();
  children.push_back({"1000", "", "", "n"});
  children.push_back({"2a", "", "-4.0", "n"});
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.ranges[1] = {"-3", "-2"};
  in.ranges[2] = {"low", "-2"};
  in.ranges[4] = {"1", ""};
  in.crossings[0] = {kSex, VariableKind::categorical};
  in.crossings[3] = {kWhz, VariableKind::continuous};
  in.prevalence = {kWhz, "<", "-2", {}};
  EXPECT_THAT(
      lines(survey_of(children), in),
      ElementsAre(
          "Results:", "Range 5 is left out: it needs both a \"from\" and a \"to\" value.",
          "Descriptive statistics WHZ (all):  (n=11); mean\xB1SD: -1.36 \xB1 1.55; range: "
          "(-4.00 - 1.00); 95% CI: (-2.28 - -0.45) ; median: -1.50",
          "WHZ vs. SEX: (all):  (n=10); m]  (n= 5) 50.0 %; f]  (n= 5) 50.0 %; ",
          "WHZ vs. WHZ: (all):  (n=11); mean\xB1SD: -1.36 \xB1 1.55; range: (-4.00 - 1.00); "
          "95% CI: (-2.28 - -0.45) ; median: -1.50",
          "Prevalence rate WHZ: 1 record(s) whose CLUSTER is not a whole number from 1 to 999 "
          "are left out.",
          "Prevalence rate WHZ < -2: 30.0 % (3 of 10); 95% confidence interval: (2.0 - 89.9);  "
          "Design Effect: 1.04",
          "Descriptive statistics WHZ (-3 to -2):  (n=4); mean\xB1SD: -2.40 \xB1 0.45; range: "
          "(-3.00 - -2.00); 95% CI: (-2.85 - -1.95) ; median: -2.50",
          "WHZ vs. SEX: (from -3 to -2):  (n=4); m]  (n= 3) 75.0 %; f]  (n= 1) 25.0 %; ",
          "WHZ vs. WHZ: (from -3 to -2):  (n=4); mean\xB1SD: -2.40 \xB1 0.45; range: "
          "(-3.00 - -2.00); 95% CI: (-2.85 - -1.95) ; median: -2.50",
          "Range 3 (from low to -2) is left out: its bounds are not both numbers."));
}

// Cross tables of a categorical main variable, and one prevalence line per category.
TEST(CalculatorLines, ACategoricalVariableWithCrossTablesAndPrevalenceByCategory) {
  CalculatorInputs in = main_variable(kSex, VariableKind::categorical);
  in.crossings[0] = {kWhz, VariableKind::continuous};
  in.crossings[2] = {kEdema, VariableKind::categorical};
  in.prevalence = {kEdema, "", "", {}};
  const std::vector<std::string> out = lines(survey_of(hand_worked()), in);
  ASSERT_EQ(out.size(), 10u);
  EXPECT_THAT(
      std::vector<std::string>(out.begin(), out.begin() + 8),
      ElementsAre(
          "Results:", "Descriptive statistics SEX (n=10); m]  (n= 5) 50.0 %; f]  (n= 5) 50.0 %; ",
          "Cross table SEX with WHZ",
          "m:  (n=5); mean\xB1SD: -1.90 \xB1 0.96; range: (-3.00 - -0.50); 95% CI: "
          "(-2.74 - -1.06) ; median: -2.00",
          "f:  (n=5); mean\xB1SD: -0.30 \xB1 1.25; range: (-2.10 - 1.00); 95% CI: "
          "(-1.39 - 0.79) ; median: 0.10",
          "Cross table SEX with EDEMA", "m (n=5); n]  (n= 4) 80.0 %; y]  (n= 1) 20.0 %; ",
          "f (n=5); n]  (n= 5) 100.0 %; y]  (n= 0) 0.0 %; "));
  EXPECT_THAT(out[8], StartsWith("Prevalence rate EDEMA=n: 90.0 % (9 of 10); 95% confidence "
                                 "interval: ("));
  EXPECT_THAT(out[9], StartsWith("Prevalence rate EDEMA=y: 10.0 % (1 of 10); 95% confidence "
                                 "interval: ("));
}

// The numbers take the decimal separator given to the layout; nothing else changes.
TEST(CalculatorLines, NumbersTakeTheDecimalSeparator) {
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.prevalence = {kWhz, "<", "-2", {}};
  const CalculatorValues v = values(survey_of(hand_worked()), in);
  EXPECT_THAT(calculator_lines(v, ','),
              ElementsAre("Results:",
                          "Descriptive statistics WHZ (all):  (n=10); mean\xB1SD: -1,10 \xB1 1,35; "
                          "range: (-3,00 - 1,00); 95% CI: (-1,93 - -0,27) ; median: -1,50",
                          "Prevalence rate WHZ < -2: 30,0 % (3 of 10); 95% confidence interval: "
                          "(2,0 - 89,9);  Design Effect: 1,04"));
}

TEST(CalculatorLines, InputsThatCannotBeUsedGetAClearLine) {
  struct Case {
    const char* what;
    CalculatorInputs in;
    const char* line;
  };
  CalculatorInputs bad_range = main_variable(kWhz, VariableKind::continuous);
  bad_range.ranges[2] = {"low", "-2"};
  CalculatorInputs half_range = main_variable(kWhz, VariableKind::continuous);
  half_range.ranges[0] = {"-3", ""};
  CalculatorInputs no_values = main_variable(kMuac, VariableKind::continuous);
  CalculatorInputs no_categories = main_variable(kSource, VariableKind::categorical);
  CalculatorInputs cross_no_values = main_variable(kWhz, VariableKind::continuous);
  cross_no_values.crossings[1] = {kSource, VariableKind::categorical};
  CalculatorInputs bad_cutoff = main_variable(kWhz, VariableKind::continuous);
  bad_cutoff.prevalence = {kWhz, "<", "minus two", {}};
  CalculatorInputs bad_operator = main_variable(kWhz, VariableKind::continuous);
  bad_operator.prevalence = {kWhz, "=<", "-2", {}};
  CalculatorInputs no_operator = main_variable(kWhz, VariableKind::continuous);
  no_operator.prevalence = {kWhz, "", "-2", {}};
  CalculatorInputs bad_prevalence_range = main_variable(kWhz, VariableKind::continuous);
  bad_prevalence_range.prevalence = {kWhz, "", "", {"-3", "x"}};
  CalculatorInputs empty_prevalence = main_variable(kWhz, VariableKind::continuous);
  empty_prevalence.prevalence = {kMuac, "<", "125", {}};
  CalculatorInputs cluster_categories = main_variable(kWhz, VariableKind::continuous);
  cluster_categories.prevalence = {kCluster, "", "", {}};
  CalculatorInputs no_cutoff = main_variable(kWhz, VariableKind::continuous);
  no_cutoff.prevalence = {kWhz, ">=", "", {}};
  CalculatorInputs no_category_values = main_variable(kWhz, VariableKind::continuous);
  no_category_values.prevalence = {kSource, "", "", {}};
  CalculatorInputs cross_no_main_values = main_variable(kSource, VariableKind::categorical);
  cross_no_main_values.crossings[0] = {kSex, VariableKind::categorical};
  CalculatorInputs no_variable = main_variable(0, VariableKind::continuous);
  const Case cases[] = {
      {"range bounds not numbers", bad_range,
       "Range 3 (from low to -2) is left out: its bounds are not both numbers."},
      {"range with one box", half_range,
       "Range 1 is left out: it needs both a \"from\" and a \"to\" value."},
      {"continuous variable without values", no_values,
       "Descriptive statistics MUAC (all):  (n=0); no values"},
      {"categorical variable without values", no_categories,
       "Descriptive statistics SOURCE (n=0); no values"},
      {"crossing variable without values", cross_no_values,
       "WHZ vs. SOURCE: (all):  (n=0); no values"},
      {"cross table of a categorical variable without values", cross_no_main_values,
       "Cross table SOURCE with SEX: no values of SOURCE"},
      {"cut-off not a number", bad_cutoff,
       "Prevalence rate WHZ < minus two: the cut-off value is not a number."},
      {"unknown operator", bad_operator,
       "Prevalence rate WHZ =< -2: the operator must be one of <, >, <=, >=."},
      {"cut-off without operator", no_operator,
       "Prevalence rate WHZ  -2: choose an operator (<, >, <=, >=) for the cut-off."},
      {"operator without cut-off", no_cutoff, "Prevalence rate WHZ >= : give a cut-off value."},
      {"prevalence range not numbers", bad_prevalence_range,
       "Prevalence rate WHZ (from -3 to x): the range needs a number in both boxes."},
      {"prevalence variable without values", empty_prevalence,
       "Prevalence rate MUAC < 125: no values of MUAC in clusters 1 to 999"},
      {"categories without values", no_category_values,
       "Prevalence rate SOURCE: no values of SOURCE in clusters 1 to 999"},
      {"categories of the cluster number", cluster_categories,
       "Prevalence rate CLUSTER: give a cut-off or a range for the cluster number."},
      {"no main variable", no_variable, "Choose a variable in the box \"Variable\"."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT(lines(survey_of(hand_worked()), c.in), Contains(c.line));
  }
}

TEST(ExportText, LinesAfterResultsUpToTheFirstEmptyLineWithTabs) {
  const std::vector<std::string> result = {"Results:", "A (n=2); x]  (n= 1) 50.0 %; ", "B; C", "",
                                           "after the gap"};
  EXPECT_EQ(export_text(result, "Statistical calculator"),
            "Statistical calculator\n\nA (n=2)\tx]  (n= 1) 50.0 %\t\nB\tC\n");
}

}  // namespace
}  // namespace olvar::calculator
