// The filter of the data entry page: each condition, their order, the spare rows, and the way
// back to the unfiltered table.

#include "formats/survey_filter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/standard_variables.h"

namespace olvar::formats {
namespace {

using core::StdVar;
using ::testing::ElementsAre;

const int kCluster = core::column(StdVar::cluster);
const int kId = core::column(StdVar::id);

// A table whose children have the given CLUSTER texts and ID 1, 2, ... in order.
core::SurveyTable table_of(const std::vector<std::string>& clusters) {
  core::SurveyTable table;
  table.resize(table.column_count(), static_cast<int>(clusters.size()) + 5);
  for (std::size_t k = 0; k < clusters.size(); ++k) {
    const int row = static_cast<int>(k) + 1;
    table.set_cell(kCluster, row, clusters[k]);
    table.set_cell(kId, row, std::to_string(row));
  }
  table.renumber_rows();
  return table;
}

std::vector<std::string> ids(const core::SurveyTable& table) {
  std::vector<std::string> out;
  for (int row = 1; row < table.row_count(); ++row) {
    if (!table.cell(kId, row).empty()) out.emplace_back(table.cell(kId, row));
  }
  return out;
}

TEST(SurveyFilter, EachConditionKeepsTheRowsItDescribes) {
  const std::vector<std::string> clusters = {"1", "2", "", "10", "2.5", "x", "1"};
  struct Case {
    const char* what;
    FilterConditions conditions;
    std::vector<std::string> kept_ids;
  };
  const Case cases[] = {
      {"= keeps the exact texts, not an empty cell", {{"1", "2", ""}, "", "", {}},
       {"1", "2", "7"}},
      {">= keeps numbers not below", {{}, "2", "", {}}, {"2", "4", "5"}},
      {"<= keeps numbers not above", {{}, "", "2", {}}, {"1", "2", "7"}},
      {">= and <= together", {{}, "2", "3", {}}, {"2", "5"}},
      {"a bound that is no number takes no part", {{}, "abc", "", {}},
       {"1", "2", "3", "4", "5", "6", "7"}},
      {"<> deletes the texts, an empty box matching an empty cell", {{}, "", "", {"2", "x", ""}},
       {"1", "4", "5", "7"}},
      {"the comma of another separator", {{}, "2,5", "", {}}, {"4", "5"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    core::SurveyTable table = table_of(clusters);
    apply_filter(table, kCluster, c.conditions, '.');
    EXPECT_EQ(ids(table), c.kept_ids);
  }
}

TEST(SurveyFilter, EqualsThenNotEqualLeavesOnlyTheOnes) {
  core::SurveyTable table = table_of({"1", "2", "", "2", "1"});
  SurveyFilter filter;
  filter.apply(table, kCluster, {{"1", "2", ""}, "", "", {}}, '.');
  EXPECT_THAT(ids(table), ElementsAre("1", "2", "4", "5"));
  filter.apply(table, kCluster, {{}, "", "", {"2", "", ""}}, '.');
  EXPECT_THAT(ids(table), ElementsAre("1", "5"));
  // Rows are renumbered and the children stand at the top.
  EXPECT_EQ(table.cell(0, 2), "2");
  EXPECT_EQ(table.cell(kId, 2), "5");
}

TEST(SurveyFilter, RemoveFilterGivesBackTheTableFromBeforeTheFirstFilter) {
  const core::SurveyTable original = table_of({"1", "2", "3", "2"});
  core::SurveyTable table = original;
  SurveyFilter filter;
  EXPECT_FALSE(filter.active());
  EXPECT_FALSE(filter.remove(table));
  filter.apply(table, kCluster, {{"2", "", ""}, "", "", {}}, '.');
  EXPECT_TRUE(filter.active());
  filter.apply(table, kId, {{}, "", "", {"2", "", ""}}, '.');
  EXPECT_THAT(ids(table), ElementsAre("4"));
  table.set_cell(kCluster, 1, "changed while filtered");
  EXPECT_TRUE(filter.remove(table));
  EXPECT_EQ(table, original);
  EXPECT_FALSE(filter.active());
}

// Remove Filter keeps what was corrected while the filter was on: a corrected cell goes back to
// the child's own row, a child entered in a spare row joins the end of the whole table, even
// through a second, narrowing filter.
TEST(SurveyFilter, RemoveFilterKeepsCorrectionsMadeToFilteredRows) {
  const int kWeight = core::column(StdVar::weight);
  core::SurveyTable table = table_of({"1", "2", "3", "2"});
  SurveyFilter filter;
  filter.apply(table, kCluster, {{"2", "", ""}, "", "", {}}, '.');
  ASSERT_THAT(ids(table), ElementsAre("2", "4"));
  table.set_cell(kWeight, 2, "11.5");  // child 4
  filter.apply(table, kId, {{}, "", "", {"4", "", ""}}, '.');
  ASSERT_THAT(ids(table), ElementsAre("2"));
  table.set_cell(kWeight, 1, "9.8");  // child 2
  table.set_cell(kCluster, 3, "2");   // a new child in a spare row
  table.set_cell(kId, 3, "5");
  table.resize(table.column_count(), table.row_count() + 100);  // spare rows data entry adds

  EXPECT_EQ(filter.remove_keeping_corrections(table), FilterRemoval::restored);
  EXPECT_FALSE(filter.active());
  EXPECT_THAT(ids(table), ElementsAre("1", "2", "3", "4", "5"));
  EXPECT_EQ(table.cell(kWeight, 2), "9.8");
  EXPECT_EQ(table.cell(kWeight, 4), "11.5");
  EXPECT_EQ(table.cell(kCluster, 5), "2");
  EXPECT_EQ(table.cell(0, 5), "5");
  EXPECT_TRUE(table.row_is_empty(table.row_count() - 1));
}

// Rows deleted while filtered no longer match the whole table's: nothing changes until the
// caller has asked, and remove() then drops the corrections.
TEST(SurveyFilter, RemoveFilterAsksWhenRowsNoLongerMatch) {
  const core::SurveyTable original = table_of({"1", "2", "3", "2"});
  core::SurveyTable table = original;
  SurveyFilter filter;
  EXPECT_EQ(filter.remove_keeping_corrections(table), FilterRemoval::not_active);
  filter.apply(table, kCluster, {{"2", "", ""}, "", "", {}}, '.');
  // A row deleted, or one inserted before a child with the spare rows kept as many: either way
  // the children stand in other rows than the filter left them in.
  for (const bool insert : {false, true}) {
    SCOPED_TRACE(insert ? "inserted" : "deleted");
    core::SurveyTable changed = table;
    if (insert) {
      changed.insert_rows(1, 1);
      changed.erase_rows(changed.row_count() - 1, 1);
    } else {
      changed.erase_rows(1, 1);
    }
    const core::SurveyTable before = changed;
    EXPECT_EQ(filter.remove_keeping_corrections(changed), FilterRemoval::needs_confirmation);
    EXPECT_EQ(changed, before);
    EXPECT_TRUE(filter.active());
  }
  table.erase_rows(1, 1);
  EXPECT_TRUE(filter.remove(table));
  EXPECT_EQ(table, original);
}

TEST(SurveyFilter, SpareRowsAreAddedWhenTheTableIsFullToItsEnd) {
  // Every row filled: the filter tests all rows but the last and adds 15 empty rows.
  core::SurveyTable table = table_of({"1", "1", "1"});
  table.resize(table.column_count(), 4);
  apply_filter(table, kCluster, {{"1", "", ""}, "", "", {}}, '.');
  EXPECT_EQ(table.row_count(), 4 + 15);
  EXPECT_THAT(ids(table), ElementsAre("1", "2", "3"));
  // No rows are added while the end of the table stays empty.
  core::SurveyTable spare = table_of({"1", "2"});
  const int rows = spare.row_count();
  apply_filter(spare, kCluster, {{}, "", "", {"2", "x", "y"}}, '.');
  EXPECT_EQ(spare.row_count(), rows - 1);
  EXPECT_THAT(ids(spare), ElementsAre("1"));
}

TEST(SurveyFilter, ColumnOutsideTheTableChangesNothing) {
  core::SurveyTable table = table_of({"1", "2"});
  const core::SurveyTable before = table;
  EXPECT_EQ(apply_filter(table, 0, {{"1", "", ""}, "", "", {}}, '.'), 0);
  EXPECT_EQ(apply_filter(table, 999, {{"1", "", ""}, "", "", {}}, '.'), 0);
  EXPECT_EQ(table, before);
}

}  // namespace
}  // namespace olvar::formats
