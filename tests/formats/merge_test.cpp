// Merging surveys: children appended in list order, variables matched by name, household
// mortality rows appended.

#include "formats/merge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/standard_variables.h"

namespace olvar::formats {
namespace {

using core::StdVar;

core::Workspace survey_with(std::initializer_list<const char*> ids, const char* extra_name) {
  core::Workspace w;
  int row = 1;
  for (const char* id : ids) {
    w.survey.set_cell(StdVar::cluster, row, "1");
    w.survey.set_cell(StdVar::id, row, id);
    ++row;
  }
  if (extra_name != nullptr) {
    const int column = w.survey.last_named_column() + 1;
    w.survey.set_cell(column, 0, extra_name);
    for (int r = 1; r < row; ++r) w.survey.set_cell(column, r, std::string("v") + std::to_string(r));
  }
  return w;
}

TEST(MergeSurveys, AppendsChildrenAndGivesANewVariableItsOwnColumn) {
  core::Workspace a = survey_with({"1", "2"}, nullptr);
  a.mortality_households.set_cell(1, 2, "1");
  a.mortality_households.set_cell(3, 2, "5");
  core::Workspace b = survey_with({"7"}, "EXTRA");
  b.mortality_households.set_cell(1, 2, "1");
  b.mortality_households.set_cell(3, 2, "4");
  b.mortality_households.set_cell(1, 3, "2");
  b.mortality_households.set_cell(3, 3, "6");

  const core::Workspace merged = merge_surveys({a, b});
  EXPECT_EQ(merged.survey.last_used_row(), 3);
  EXPECT_EQ(merged.survey.cell(StdVar::id, 1), "1");
  EXPECT_EQ(merged.survey.cell(StdVar::id, 2), "2");
  EXPECT_EQ(merged.survey.cell(StdVar::id, 3), "7");
  const int extra = merged.survey.column_of_header("EXTRA");
  ASSERT_GE(extra, 1);
  EXPECT_EQ(merged.survey.cell(extra, 1), "");  // the first survey has no EXTRA
  EXPECT_EQ(merged.survey.cell(extra, 3), "v1");

  // Household rows: the first survey's, then the second's.
  EXPECT_EQ(merged.mortality_households.cell(3, 2), "5");
  EXPECT_EQ(merged.mortality_households.cell(3, 3), "4");
  EXPECT_EQ(merged.mortality_households.cell(3, 4), "6");
  EXPECT_EQ(merged.mortality_households.cell(1, 5), "");
  EXPECT_TRUE(merged.changed);
}

TEST(MergeSurveys, TheSameVariableInBothSurveysSharesOneColumn) {
  const core::Workspace merged =
      merge_surveys({survey_with({"1"}, "EXTRA"), survey_with({"2"}, "EXTRA")});
  const int extra = merged.survey.column_of_header("EXTRA");
  EXPECT_EQ(merged.survey.cell(extra, 1), "v1");
  EXPECT_EQ(merged.survey.cell(extra, 2), "v1");
  EXPECT_EQ(merged.survey.cell(extra + 1, 0), "");
}

TEST(MergeSurveys, AnEmptyListMergesNothing) {
  EXPECT_THROW(merge_surveys({}), MergeError);
}

}  // namespace
}  // namespace olvar::formats
