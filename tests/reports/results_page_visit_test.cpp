#include "reports/results_page_visit.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/standard_variables.h"
#include "support/temp_folder.h"

namespace olvar::reports {
namespace {

using core::StdVar;

core::Workspace three_clusters() {
  core::Workspace w;
  const char* clusters[] = {"3", "1", "2"};
  for (int row = 1; row <= 3; ++row) {
    w.survey.set_cell(StdVar::cluster, row, clusters[row - 1]);
    w.survey.set_cell(StdVar::id, row, std::to_string(row));
  }
  w.file_name = "survey.as";
  return w;
}

std::string ids(const core::Workspace& w) {
  std::string s;
  for (int row = 1; row <= 3; ++row) s += w.survey.cell(StdVar::id, row);
  return s;
}

TEST(ResultsPageVisit, SortsByClusterAndRestoresTheOrderAndChangedState) {
  const test::TempFolder folder;
  core::Workspace w = three_clusters();
  ResultsPageVisit visit = enter_results_page(w, folder.path(), {}, 'w', core::SortOrder::ascending);
  EXPECT_EQ(ids(w), "231");  // clusters 1, 2, 3
  EXPECT_FALSE(w.changed);   // sorting for the page is no change of the user's
  EXPECT_TRUE(std::filesystem::exists(folder / "noname.as"));
  EXPECT_FALSE(visit.scratch_failure);
  EXPECT_FALSE(leave_results_page(w, std::move(visit), 'w'));
  EXPECT_EQ(ids(w), "123");
  EXPECT_FALSE(w.changed);
  EXPECT_EQ(w.file_name, "survey.as");

  // The page sorts in the order the sort window chose last.
  visit = enter_results_page(w, {}, {}, 'w', core::SortOrder::descending);
  EXPECT_EQ(ids(w), "132");  // clusters 3, 2, 1
  leave_results_page(w, std::move(visit), 'w');
  EXPECT_EQ(ids(w), "123");
}

TEST(ResultsPageVisit, UnsavedChangesStayUnsavedAndAReferenceSwitchAsksForEvaluation) {
  core::Workspace w = three_clusters();
  w.changed = true;
  // No scratch folder (and so no scratch copy): the order still comes back.
  ResultsPageVisit visit = enter_results_page(w, {}, {}, 'w', core::SortOrder::ascending);
  EXPECT_TRUE(leave_results_page(w, std::move(visit), 'n'));
  EXPECT_EQ(ids(w), "123");
  EXPECT_TRUE(w.changed);
}

// A menu command run while the page is shown changes cells of the sorted table; leaving the
// page moves the rows back with those changes, each in its own child's row.
TEST(ResultsPageVisit, CellsChangedDuringTheVisitStayWithTheirChildren) {
  core::Workspace w = three_clusters();
  ResultsPageVisit visit = enter_results_page(w, {}, {}, 'w', core::SortOrder::ascending);
  ASSERT_EQ(ids(w), "231");
  w.survey.set_cell(StdVar::weight, 1, "10.2");  // child 2, sorted first
  w.survey.set_cell(StdVar::weight, 3, "8.4");   // child 1, sorted last
  w.changed = true;
  leave_results_page(w, std::move(visit), 'w');
  EXPECT_EQ(ids(w), "123");
  EXPECT_EQ(w.survey.cell(StdVar::weight, 1), "8.4");
  EXPECT_EQ(w.survey.cell(StdVar::weight, 2), "10.2");
  EXPECT_EQ(w.survey.cell(StdVar::weight, 3), "");
  EXPECT_TRUE(w.changed);
}

TEST(ResultsPageVisit, AScratchCopyThatCannotBeWrittenCostsNothing) {
  const test::TempFolder folder;
  core::Workspace w = three_clusters();
  const auto missing = folder / "no" / "such" / "folder";
  ResultsPageVisit visit = enter_results_page(w, missing, {}, 'w', core::SortOrder::ascending);
  EXPECT_TRUE(visit.scratch_failure);
  EXPECT_EQ(ids(w), "231");
  leave_results_page(w, std::move(visit), 'w');
  EXPECT_EQ(ids(w), "123");
}

}  // namespace
}  // namespace olvar::reports
