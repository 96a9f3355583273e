#include "calculator/statistical_calculator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/standard_variables.h"

namespace olvar::calculator {
namespace {

using core::StdVar;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

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

reports::AnalysisOptions no_exclusion() {
  reports::AnalysisOptions o;
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
                               const reports::AnalysisOptions& options = no_exclusion()) {
  return Calculate(survey, options, in).lines;
}

// WHZ, all ten children: sum -11.0, n 10, mean -1.10.
//   deviations -1.4 0.1 0.6 -1.0 1.6 -0.4 2.1 -1.9 -0.9 1.2; squares sum to 16.32
//   SD = sqrt(16.32 / 9) = 1.3466;  95% CI = -1.10 -/+ 1.96 * 1.3466 / sqrt(10) = -1.10 -/+ 0.8346
//   sorted: -3.0 -2.5 -2.1 -2.0 -1.5 -1.0 -0.5 0.1 0.5 1.0; median at position 5: -1.5
// The range pass from -3 to -2 keeps -2.5 -2.1 -3.0 -2.0 (both bounds included):
//   mean -2.40; squares .01 .09 .36 .16 = .62; SD = sqrt(.62 / 3) = 0.4546;
//   CI -2.40 -/+ 1.96 * 0.4546 / 2 = -2.40 -/+ 0.4455; median at position 2: -2.5
// Crossed with SEX in that range: rows m -2.5, f -2.1, m -3.0, m -2.0: m 3 (75 %), f 1 (25 %).
TEST(Calculate, DescriptiveStatisticsOfAHandWorkedSurvey) {
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.ranges[1] = {"-3", "-2"};
  in.crossings[0] = {kSex, VariableKind::categorical};
  EXPECT_THAT(
      lines(survey_of(hand_worked()), in),
      ElementsAre(
          "Results:",
          "Descriptive statistics WHZ (all):  (n=10); mean\xB1SD: -1.10 \xB1 1.35; range: "
          "(-3.00 - 1.00); 95% CI: (-1.93 - -0.27) ; median: -1.50",
          "WHZ vs. SEX: (all):  (n=10); m]  (n= 5) 50.0 %; f]  (n= 5) 50.0 %; ",
          "Descriptive statistics WHZ (-3 to -2):  (n=4); mean\xB1SD: -2.40 \xB1 0.45; range: "
          "(-3.00 - -2.00); 95% CI: (-2.85 - -1.95) ; median: -2.50",
          "WHZ vs. SEX: (from -3 to -2):  (n=4); m]  (n= 3) 75.0 %; f]  (n= 1) 25.0 %; "));
}

// SEX against WHZ and EDEMA.
//   m: -2.5 -0.5 -1.5 -3.0 -2.0: mean -1.90, squares .36 1.96 .16 1.21 .01 = 3.70,
//      SD = sqrt(3.70 / 4) = 0.9618, CI -1.90 -/+ 1.96 * 0.9618 / sqrt(5) = -1.90 -/+ 0.8430,
//      median (position 3 of -3 -2.5 -2 -1.5 -0.5) -2.0; oedema n n n y n: n 4 (80 %), y 1 (20 %)
//   f: -1.0 -2.1 0.5 1.0 0.1: mean -0.30, squares .49 3.24 .64 1.69 .16 = 6.22,
//      SD = sqrt(6.22 / 4) = 1.2470, CI -0.30 -/+ 1.96 * 1.2470 / sqrt(5) = -0.30 -/+ 1.0930,
//      median (position 3 of -2.1 -1 0.1 0.5 1) 0.1; oedema all n
TEST(Calculate, CrossTablesOfACategoricalVariable) {
  CalculatorInputs in = main_variable(kSex, VariableKind::categorical);
  in.crossings[0] = {kWhz, VariableKind::continuous};
  in.crossings[2] = {kEdema, VariableKind::categorical};
  EXPECT_THAT(
      lines(survey_of(hand_worked()), in),
      ElementsAre(
          "Results:", "Descriptive statistics SEX (n=10); m]  (n= 5) 50.0 %; f]  (n= 5) 50.0 %; ",
          "Cross table SEX with WHZ",
          "m:  (n=5); mean\xB1SD: -1.90 \xB1 0.96; range: (-3.00 - -0.50); 95% CI: "
          "(-2.74 - -1.06) ; median: -2.00",
          "f:  (n=5); mean\xB1SD: -0.30 \xB1 1.25; range: (-2.10 - 1.00); 95% CI: "
          "(-1.39 - 0.79) ; median: 0.10",
          "Cross table SEX with EDEMA", "m (n=5); n]  (n= 4) 80.0 %; y]  (n= 1) 20.0 %; ",
          "f (n=5); n]  (n= 5) 100.0 %; y]  (n= 0) 0.0 %; "));
}

// WHZ < -2: cases -2.5, -2.1 (cluster 1) and -3.0 (cluster 3); -2.0 is not below -2.
//   n = 4, 3, 3; a = 2, 0, 1; N = 10, A = 3, p = 0.3
//   mean cluster size 10/3; residuals (a - p n) / (10/3) = 0.24, -0.27, 0.03 (mean 0)
//   SS = .0576 + .0729 + .0009 = .1314; SE = sqrt(.1314 / (3 * 2)) = 0.14799
//   t(2) = 4.30265; logit ln(.3/.7) = -0.84730; V = SE^2 / (.3 * .7)^2 = 0.49660
//   limits 100 / (1 + e^-(L -/+ t sqrt V)) = 2.02 % and 89.89 %
// Design effect: X = 10, Y = 3, Sxx = 34, Syy = 5, Sxy = 11, r = 0.3
//   cluster variance 3/2 * (.09 * 34 + 5 - .6 * 11) / 100 = 0.0219; SRS variance .21/10 = 0.021
//   design effect 1.0429
// Numbered 1, 2 and 5 the clusters give the same line: the empty numbers 3 and 4 hold no data
// (counted, they would make the design effect 5/4 * 1.46/100 / 0.021 = 0.87, written 1.00).
TEST(Calculate, PrevalenceWithIntervalAndDesignEffect) {
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.descriptive = false;
  in.prevalence = {kWhz, "<", "-2", {}};
  const char* expected =
      "Prevalence rate WHZ < -2: 30.0 % (3 of 10); 95% confidence interval: (2.0 - 89.9);  "
      "Design Effect: 1.04";
  EXPECT_THAT(lines(survey_of(hand_worked()), in), ElementsAre("Results:", expected));
  EXPECT_THAT(lines(survey_of(hand_worked("1", "2", "5")), in), ElementsAre("Results:", expected));
}

// Clusters 1 to 30 with number 17 unused: 29 clusters hold data, so the interval takes t with
// 28 degrees of freedom and the design effect counts 29 clusters, exactly as for the same
// children numbered 1 to 29 without a gap.
TEST(Calculate, AGapInTheClusterNumbersChangesNothing) {
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
  const std::vector<std::string> gap = lines(survey_numbered(true), in);
  EXPECT_EQ(gap, lines(survey_numbered(false), in));
  EXPECT_THAT(gap[1], HasSubstr("(43 of 174)"));
}

// With every child in cluster 1 (or without a cluster, which the analysis table fills with 1),
// k = 1: the Wilson interval for 3 of 10, z = 1.96:
//   centre .3 + 3.8416/20 = .49208; half-width 1.96 sqrt((.21 + .09604) / 10) = .34288;
//   divided by 1 + .38416: 10.8 % and 60.3 %; the design effect is 1.00.
TEST(Calculate, OneClusterGetsTheWilsonInterval) {
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.descriptive = false;
  in.prevalence = {kWhz, "<", "-2", {}};
  for (const char* cluster : {"1", ""}) {
    SCOPED_TRACE(cluster);
    EXPECT_THAT(lines(survey_of(hand_worked(cluster, cluster, cluster)), in),
                ElementsAre("Results:",
                            "Prevalence rate WHZ < -2: 30.0 % (3 of 10); 95% confidence interval: "
                            "(10.8 - 60.3);  Design Effect: 1.00"));
  }
}

TEST(Calculate, PrevalenceByRangeAndByCategory) {
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.descriptive = false;
  // The range ending at -2.05 leaves -2.0 out: the three cases of the cut-off "< -2" above,
  // a = 2, 0, 1 over n = 4, 3, 3, and so the same line.
  in.prevalence = {kWhz, "", "", {"-3", "-2.05"}};
  EXPECT_THAT(lines(survey_of(hand_worked()), in),
              Contains("Prevalence rate WHZ (from -3 to -2.05): 30.0 % (3 of 10); 95% confidence "
                       "interval: (2.0 - 89.9);  Design Effect: 1.04"));
  // Without cut-off and range, one line per category: the oedema case is in cluster 3 alone.
  in.prevalence = {kEdema, "", "", {}};
  const std::vector<std::string> out = lines(survey_of(hand_worked()), in);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_THAT(out[1], HasSubstr("Prevalence rate EDEMA=n: 90.0 % (9 of 10)"));
  EXPECT_THAT(out[2], HasSubstr("Prevalence rate EDEMA=y: 10.0 % (1 of 10)"));
}

TEST(Calculate, InputsThatCannotBeUsedGetAClearLine) {
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
      {"cut-off not a number", bad_cutoff,
       "Prevalence rate WHZ < minus two: the cut-off value is not a number."},
      {"unknown operator", bad_operator,
       "Prevalence rate WHZ =< -2: the operator must be one of <, >, <=, >=."},
      {"cut-off without operator", no_operator,
       "Prevalence rate WHZ  -2: choose an operator (<, >, <=, >=) for the cut-off."},
      {"prevalence range not numbers", bad_prevalence_range,
       "Prevalence rate WHZ (from -3 to x): the range needs a number in both boxes."},
      {"prevalence variable without values", empty_prevalence,
       "Prevalence rate MUAC < 125: no values of MUAC in clusters 1 to 999"},
      {"categories of the cluster number", cluster_categories,
       "Prevalence rate CLUSTER: give a cut-off or a range for the cluster number."},
      {"no main variable", no_variable, "Choose a variable in the box \"Variable\"."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT(lines(survey_of(hand_worked()), c.in), Contains(c.line));
  }
}

TEST(Calculate, RecordsOutsideTheClusterNumbersAreLeftOutAndCounted) {
  std::vector<Child> children = hand_worked();
  children.push_back({"1000", "m", "-4.0", "n"});
  children.push_back({"2a", "f", "-4.0", "n"});
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.descriptive = false;
  in.prevalence = {kWhz, "<", "-2", {}};
  EXPECT_THAT(lines(survey_of(children), in),
              ElementsAre("Results:",
                          "Prevalence rate WHZ: 2 record(s) whose CLUSTER is not a whole number "
                          "from 1 to 999 are left out.",
                          "Prevalence rate WHZ < -2: 30.0 % (3 of 10); 95% confidence interval: "
                          "(2.0 - 89.9);  Design Effect: 1.04"));
}

TEST(Calculate, EveryPassReadsTheAnalysisTableWithTheFlagsInForce) {
  // Epi Info flags blank a WHZ below -5: -7.0 takes no part in the statistics.
  std::vector<Child> children = hand_worked();
  children.push_back({"2", "m", "-7.0", "n"});
  reports::AnalysisOptions flags;
  flags.mode = core::ExclusionMode::epi_info;
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.ranges[0] = {"-10", "0"};
  const std::vector<std::string> out = lines(survey_of(children), in, flags);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_THAT(out[1], HasSubstr("(n=10); mean\xB1SD: -1.10"));
  // The range pass starts again from the flagged table: the -7.0 stays out there too.
  EXPECT_THAT(out[2], HasSubstr("Descriptive statistics WHZ (-10 to 0):  (n=7)"));
  EXPECT_THAT(lines(survey_of(children), in), Contains(HasSubstr("(n=11)")));
}

TEST(Calculate, CategoryTextsAreComparedExactly) {
  core::SurveyTable survey = survey_of(hand_worked());
  const char* texts[] = {"1", "10", "1", "a; b", "", "", "", "", "", ""};
  for (int row = 1; row <= 10; ++row) survey.set_cell(kSource, row, texts[row - 1]);
  EXPECT_THAT(lines(survey, main_variable(kSource, VariableKind::categorical)),
              ElementsAre("Results:",
                          "Descriptive statistics SOURCE (n=4); 1]  (n= 2) 50.0 %; 10]  (n= 1) "
                          "25.0 %; a; b]  (n= 1) 25.0 %; "));
}

TEST(Calculate, TooManyCategoriesKeepTheFirst999) {
  core::SurveyTable survey;
  survey.set_cell(kSource, 0, "SOURCE");
  survey.resize(survey.column_count(), 1002);
  for (int row = 1; row <= 1000; ++row) {
    survey.set_cell(StdVar::id, row, std::to_string(row));
    survey.set_cell(kSource, row, "s" + std::to_string(row));
  }
  CalculatorInputs in = main_variable(kSource, VariableKind::categorical);
  in.crossings[0] = {kSource, VariableKind::categorical};
  const CalculatorResult r = Calculate(survey, no_exclusion(), in);
  EXPECT_THAT(r.messages, ElementsAre(std::string(kTooManyCases)));
  EXPECT_THAT(r.lines[1], HasSubstr("(n=999); s1]  (n= 1) 0.1 %; "));
  EXPECT_THAT(r.lines[1], HasSubstr("s999]  (n= 1) 0.1 %; "));
  EXPECT_THAT(r.lines[1], ::testing::Not(HasSubstr("s1000]")));
}

TEST(Calculate, ARangeFromZeroToZeroSelectsTheZeros) {
  core::SurveyTable survey = survey_of(hand_worked());
  survey.set_cell(StdVar::whz, 3, "0");
  CalculatorInputs in = main_variable(kWhz, VariableKind::continuous);
  in.descriptive = false;
  in.ranges[0] = {"0", "0"};
  in.crossings[0] = {kSex, VariableKind::categorical};
  EXPECT_THAT(lines(survey, in),
              Contains("WHZ vs. SEX: (from 0 to 0):  (n=1); m]  (n= 1) 100.0 %; "));
}

TEST(ExportText, LinesAfterResultsUpToTheFirstEmptyLineWithTabs) {
  const std::vector<std::string> result = {"Results:", "A (n=2); x]  (n= 1) 50.0 %; ", "B; C", "",
                                           "after the gap"};
  EXPECT_EQ(export_text(result, "Statistical calculator"),
            "Statistical calculator\n\nA (n=2)\tx]  (n= 1) 50.0 %\t\nB\tC\n");
}

}  // namespace
}  // namespace olvar::calculator
