// The one reading of the Options page: every output takes its numbers from here, so the cases
// below are the readings that used to differ between outputs (a decimal comma, a bound that is
// not a number, a cut-off left empty).
#include "analysis/analysis_settings.h"

#include <gtest/gtest.h>

namespace olvar::analysis {
namespace {

TEST(AnalysisSettings, DefaultValueIsTheDefaultPageRead) {
  const AnalysisSettings read = analysis_settings(core::OptionsPage{}, '.');
  const AnalysisSettings value;
  ASSERT_EQ(read.age_groups.size(), 5u);
  for (std::size_t g = 0; g < 5; ++g) {
    EXPECT_EQ(read.age_groups[g].lower, value.age_groups[g].lower) << g;
    EXPECT_EQ(read.age_groups[g].upper, value.age_groups[g].upper) << g;
    EXPECT_EQ(read.age_group_label(g), value.age_group_label(g)) << g;
    EXPECT_EQ(read.expected_boys[g], value.expected_boys[g]) << g;
    EXPECT_EQ(read.expected_girls[g], value.expected_girls[g]) << g;
  }
  EXPECT_EQ(read.age_group_label(0), "6-17");
  EXPECT_EQ(read.age_group_label(4), "54-59");
  EXPECT_EQ(read.muac.severe, 115.0);
  EXPECT_EQ(read.muac.moderate, 125.0);
  EXPECT_EQ(read.muac_severe_text, value.muac_severe_text);
  EXPECT_EQ(read.muac_moderate_text, value.muac_moderate_text);
  EXPECT_EQ(read.selection.zrl, value.selection.zrl);
  EXPECT_EQ(read.selection.zrh, value.selection.zrh);
  EXPECT_EQ(read.selection.zhl, value.selection.zhl);
  EXPECT_EQ(read.selection.zhh, value.selection.zhh);
}

TEST(AnalysisSettings, ReadsTheBoundsAndCutOffsOnce) {
  struct Case {
    const char* what;
    char separator;
    std::string lower1, upper1, muac1;
    double lower, upper, severe;
    std::string label, severe_text;
  };
  const Case cases[] = {
      {"plain", '.', "6", "17", "115", 6.0, 17.0, 115.0, "6-17", "115"},
      {"blanks trimmed", '.', " 6 ", " 17", " 110 ", 6.0, 17.0, 110.0, "6-17", "110"},
      // The graphs read a decimal comma as no number (bound 0, cut-off 115) before.
      {"decimal comma", ',', "6,5", "17,5", "112,5", 6.5, 17.5, 112.5, "6,5-17,5", "112,5"},
      // A bound that is not a number: the tolerant parse's -99999 everywhere (the results
      // page dropped the group, the graphs took 0).
      {"not a number", '.', "abc", "17", "x", kUnreadableBound, 17.0, 115.0, "abc-17", "115"},
      {"empty cut-off", '.', "6", "17", "", 6.0, 17.0, 115.0, "6-17", "115"},
      {"cut-off 0", '.', "6", "17", "0", 6.0, 17.0, 115.0, "6-17", "115"},
  };
  for (const Case& c : cases) {
    core::OptionsPage page;
    page.Edit2 = c.lower1;
    page.Edit3 = c.upper1;
    page.muac1 = c.muac1;
    const AnalysisSettings s = analysis_settings(page, c.separator);
    EXPECT_FLOAT_EQ(s.age_groups[0].lower, c.lower) << c.what;
    EXPECT_FLOAT_EQ(s.age_groups[0].upper, c.upper) << c.what;
    EXPECT_FLOAT_EQ(s.muac.severe, c.severe) << c.what;
    EXPECT_EQ(s.age_group_label(0), c.label) << c.what;
    EXPECT_EQ(s.muac_severe_text, c.severe_text) << c.what;
    EXPECT_EQ(s.decimal_separator, c.separator) << c.what;
  }
}

TEST(AnalysisSettings, SelectionAndCorrectionTravelAsRead) {
  core::OptionsPage page;
  page.zr = true;
  page.zrl = "6,00";
  page.zrh = "59,99";
  page.exclusion = core::ExclusionMode::kandu;
  page.flags.whz_ol = "-2,5";
  stats::PopulationCorrectionInputs planning;
  planning.csps1 = true;
  planning.PopSize_field = "1200";
  const AnalysisSettings s = analysis_settings(page, ',', planning);
  EXPECT_TRUE(s.selection.zr);
  EXPECT_FLOAT_EQ(s.selection.zrl, 6.0f);
  EXPECT_FLOAT_EQ(s.selection.zrh, 59.99f);
  EXPECT_EQ(s.mode, core::ExclusionMode::kandu);
  EXPECT_EQ(s.flags.whz_ol, "-2,5");
  EXPECT_TRUE(s.population_correction.csps1);
  EXPECT_EQ(s.population_correction.PopSize_field, "1200");
}

// One membership rule: lower <= MONTHS < upper + 1, so a child of 17.99 months is in 6-17 and
// one of 18.0 in 18-29 (the weighted analysis stretched the bound by 0.9999999 instead).
TEST(AnalysisSettings, AgeGroupMembershipIsHalfOpenAtUpperPlusOne) {
  const AgeGroup g{6, 17};
  struct Case {
    double months;
    bool in;
  };
  for (const Case c : {Case{5.99, false}, Case{6.0, true}, Case{17.0, true}, Case{17.99, true},
                       Case{17.9999999, true}, Case{18.0, false}}) {
    EXPECT_EQ(g.contains(c.months), c.in) << c.months;
  }
}

}  // namespace
}  // namespace olvar::analysis
