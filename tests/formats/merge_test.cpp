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

int last_row_with_households(const core::Workspace& w) {
  int last = 1;
  for (int row = 2; row < w.mortality_households.row_count(); ++row) {
    if (!w.mortality_households.cell(1, row).empty()) last = row;
  }
  return last;
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

// A survey file reads 65,532 household rows; a merge that would make more is refused, not
// written for the reader to cut.
TEST(MergeSurveys, HouseholdsBeyondWhatTheFileReadsAreRefused) {
  const auto with_households = [](int count) {
    core::Workspace w;
    w.mortality_households.resize(12, count + 2);
    for (int row = 2; row < count + 2; ++row) w.mortality_households.set_cell(1, row, "1");
    return w;
  };
  EXPECT_EQ(
      last_row_with_households(merge_surveys({with_households(30000), with_households(35532)})),
      65533);
  EXPECT_THROW(merge_surveys({with_households(30000), with_households(35533)}), MergeError);
}

TEST(MergeSurveys, SaysWhatItLeavesOut) {
  core::Workspace w;
  EXPECT_TRUE(left_out_by_merge(w).empty());
  w.mortality_individuals.set_cell(0, 1, "1");  // a row number alone is no data
  w.mortality_individuals.set_cell(1, 0, "DATE");
  EXPECT_TRUE(left_out_by_merge(w).empty());
  w.mortality_individuals.set_cell(2, 1, "4");
  w.training_categorical.set_cell(3, 5, "2");
  EXPECT_EQ(left_out_by_merge(w), (std::vector<std::string>{"the training measurements",
                                                            "the individual mortality data"}));
}

TEST(MergeSurveys, AnEmptyListMergesNothing) {
  EXPECT_THROW(merge_surveys({}), MergeError);
}

}  // namespace
}  // namespace olvar::formats
