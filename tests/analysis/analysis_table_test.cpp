#include "analysis/analysis_table.h"

#include <gtest/gtest.h>

#include <string>

#include "core/standard_variables.h"
#include "support/survey_builder.h"

namespace olvar::analysis {
namespace {

using core::StdVar;

// A small survey: one row per child with CLUSTER, TEAM, ID, SEX, MONTHS, HEIGHT and WHZ.
core::SurveyTable survey_of(test::SurveyRows children) {
  return test::survey_table({StdVar::cluster, StdVar::team, StdVar::id, StdVar::sex,
                             StdVar::months, StdVar::height, StdVar::whz},
                            children);
}

constexpr int kWhz = core::column(StdVar::whz);

TEST(AnalysisTable, DefaultsClusterAndTeamWithoutTouchingTheSurvey) {
  const core::SurveyTable survey = survey_of({{"", "", "7", "", "20", "80", "-1.0"}});
  const AnalysisTable a = SG6_uebergabe(survey, AnalysisOptions{}, -1, -1, "");
  EXPECT_EQ(a.table.cell(core::column(StdVar::cluster), 1), "1");
  EXPECT_EQ(a.table.cell(core::column(StdVar::team), 1), "999");
  EXPECT_EQ(survey.cell(StdVar::cluster, 1), "");
  EXPECT_EQ(survey.cell(StdVar::team, 1), "");
  EXPECT_EQ(a.table.cell(core::column(StdVar::cluster), 0), "CLUSTER");
  // The last column is the empty one after the variables: never copied.
  EXPECT_EQ(a.table.column_count(), survey.column_count());
}

TEST(AnalysisTable, AgeRangeIncludesItsBounds) {
  const core::SurveyTable survey = survey_of({
      {"1", "1", "1", "m", "59.99", "90", "0.5"},
      {"1", "1", "2", "m", "60.0", "90", "0.5"},
      {"1", "1", "3", "m", "6", "70", "0.5"},
      {"1", "1", "4", "m", "abc", "70", "0.5"},
  });
  AnalysisOptions options;
  options.selection.zr = true;
  const AnalysisTable a = SG6_uebergabe(survey, options, -1, -1, "");
  EXPECT_EQ(a.table.cell(core::column(StdVar::id), 1), "1");
  EXPECT_TRUE(a.table.row_is_empty(2));
  EXPECT_EQ(a.table.cell(core::column(StdVar::id), 3), "3");
  EXPECT_TRUE(a.table.row_is_empty(4));  // a MONTHS that is not a number fails the range

  options.selection = {};
  options.selection.zh = true;  // 67 to 110 cm
  const AnalysisTable by_height = SG6_uebergabe(survey, options, -1, -1, "");
  EXPECT_FALSE(by_height.table.row_is_empty(1));
  EXPECT_FALSE(by_height.table.row_is_empty(3));
}

TEST(AnalysisTable, ExclusionBlanksAndCountsByMode) {
  // WHZ mean of the five values: (-4.1 - 1 - 1 + 2 - 0.9) / 5 = -1.0.
  const core::SurveyTable survey = survey_of({
      {"1", "1", "1", "m", "20", "80", "-4.1"},
      {"1", "1", "2", "f", "20", "80", "-1.0"},
      {"1", "1", "3", "f", "20", "80", "-1.0"},
      {"1", "1", "4", "m", "20", "80", "2.0"},
      {"1", "1", "5", "m", "20", "80", "-0.9"},
      {"1", "1", "6", "m", "20", "80", ""},  // missing, never excluded
  });
  struct Case {
    anthro::ExclusionMode mode;
    int excluded;
    bool first_kept;
  };
  const Case cases[] = {
      {anthro::ExclusionMode::kandu, 1, false},     // window -4.0 to 2.0: -4.1 out, 2.0 stays
      {anthro::ExclusionMode::epi_info, 0, true},   // -5 to 5
      {anthro::ExclusionMode::none, 0, true},
  };
  for (const Case& c : cases) {
    AnalysisOptions options;
    options.mode = c.mode;
    const AnalysisTable a = SG6_uebergabe(survey, options, -1, kWhz, "");
    EXPECT_EQ(a.excluded_z, c.excluded);
    EXPECT_EQ(a.missing_z, 1);
    EXPECT_EQ(!a.table.cell(kWhz, 1).empty(), c.first_kept);
    EXPECT_EQ(a.table.cell(kWhz, 4), "2.0");
  }
}

TEST(AnalysisTable, FilterByTeamLeavesOtherRowsEmptyInPlace) {
  const core::SurveyTable survey = survey_of({
      {"1", "1", "1", "m", "20", "80", "0.1"},
      {"1", "2", "2", "m", "20", "80", "0.2"},
      {"1", "2", "3", "m", "20", "80", "0.3"},
  });
  const AnalysisTable a =
      SG6_uebergabe(survey, AnalysisOptions{}, core::column(StdVar::team), kWhz, "2");
  EXPECT_TRUE(a.table.row_is_empty(0, false));  // the heading row does not pass either
  EXPECT_TRUE(a.table.row_is_empty(1, false));
  EXPECT_EQ(a.table.cell(kWhz, 2), "0.2");
  EXPECT_EQ(a.table.cell(0, 3), "3");  // row numbers stay where they were
  EXPECT_EQ(a.missing_z, 0);
}

TEST(AnalysisTable, RemovalOfImplausibleZscores) {
  core::SurveyTable survey = survey_of({
      {"", "", "1", "m", "20", "80", "5.5"},
      {"2", "", "", "f", "20", "80", "-1.0"},
      {"", "", "", "f", "20", "80", "-0.5"},  // no CLUSTER and no ID: a child all the same
      {"", "", "", "", "20", "", ""},          // neither ID nor SEX: no child, no cluster
  });
  survey.set_cell(StdVar::waz, 1, "-7");
  AnalysisOptions options;
  const AnalysisTable none = RemoveAllNonPlausible_Zscores(survey, options);
  // Mode "n": the copy equals the survey except for the CLUSTER default.
  for (int row = 0; row < survey.row_count(); ++row) {
    for (int column = 0; column < survey.column_count() - 1; ++column) {
      if ((row == 1 || row == 3) && column == core::column(StdVar::cluster)) continue;
      ASSERT_EQ(none.table.cell(column, row), survey.cell(column, row)) << column << "," << row;
    }
  }
  EXPECT_EQ(none.table.cell(core::column(StdVar::cluster), 1), "1");
  EXPECT_EQ(none.table.cell(core::column(StdVar::cluster), 3), "1");
  EXPECT_EQ(none.table.cell(core::column(StdVar::cluster), 4), "");
  EXPECT_EQ(none.table.cell(core::column(StdVar::team), 1), "");  // no TEAM default here

  options.mode = anthro::ExclusionMode::epi_info;
  const AnalysisTable epi = RemoveAllNonPlausible_Zscores(survey, options);
  EXPECT_EQ(epi.table.cell(kWhz, 1), "");                           // 5.5 > 5
  EXPECT_EQ(epi.table.cell(core::column(StdVar::waz), 1), "");      // -7 < -6
  EXPECT_EQ(epi.table.cell(kWhz, 2), "-1.0");
}

}  // namespace
}  // namespace olvar::analysis
