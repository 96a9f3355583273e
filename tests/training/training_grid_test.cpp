// The grids of the Training page: headings, children used, paste and transfer.

#include "training/training_grid.h"

#include <gtest/gtest.h>

#include "core/workspace.h"

namespace olvar::training {
namespace {

core::LanguageTable english() {
  core::LanguageTable text;
  text.read_english(
      "0857 Weight1\n0858 Weight2\n0859 Height1\n0860 Height2\n0983 Child\n"
      "0997 Enumerator\n1090 Supervisor\n");
  return text;
}

TEST(TrainingGrid, HeadingsNameEveryGroupAndMeasurement) {
  core::TextGrid grid = core::Workspace{}.training_continuous;
  write_continuous_headings(grid, english());
  EXPECT_EQ(grid.cell(1, 0), "Supervisor");
  EXPECT_EQ(grid.cell(7, 0), "Enumerator 1");
  EXPECT_EQ(grid.cell(121, 0), "Enumerator 20");
  EXPECT_EQ(grid.cell(121, 1), "Weight1");
  EXPECT_EQ(grid.cell(124, 1), "Height2");
  EXPECT_EQ(grid.cell(126, 1), "MUAC2");
  EXPECT_EQ(grid.cell(0, 1), "Child");
  EXPECT_EQ(grid.cell(0, 2), "1");
  EXPECT_EQ(grid.cell(0, 101), "100");

  core::TextGrid categories = core::Workspace{}.training_categorical;
  write_categorical_headings(categories, english());
  EXPECT_EQ(categories.cell(1, 0), "Supervisor");
  EXPECT_EQ(categories.cell(2, 0), "Enumerator 1");
  EXPECT_EQ(categories.cell(21, 0), "Enumerator 20");
}

TEST(TrainingGrid, ChildrenUsedRunToTheLastFilledSupervisorCell) {
  core::TextGrid grid = core::Workspace{}.training_continuous;
  EXPECT_EQ(children_used(grid, 1), 0);
  grid.set_cell(1, 2, "10");
  grid.set_cell(1, 9, "12");  // children 2 to 7 left empty still count
  EXPECT_EQ(children_used(grid, 1), 8);
  grid.set_cell(1, 101, "9");
  EXPECT_EQ(children_used(grid, 1), 100);
}

TEST(TrainingGrid, PasteFillsRowsAndCellsFromTheCurrentCell) {
  core::TextGrid grid = core::Workspace{}.training_categorical;
  EXPECT_TRUE(paste_text(grid, 20, 2, "y\tn\tn\r\ng\ty\n"));
  EXPECT_EQ(grid.cell(20, 2), "y");
  EXPECT_EQ(grid.cell(21, 2), "n");  // the third cell lies beyond the grid
  EXPECT_EQ(grid.cell(20, 3), "g");
  EXPECT_EQ(grid.cell(21, 3), "y");
  EXPECT_EQ(grid.cell(20, 4), "");
  // Headings and the child numbers are never overwritten.
  EXPECT_TRUE(paste_text(grid, 0, 0, "a\tb"));
  EXPECT_EQ(grid.cell(0, 0), "");
  EXPECT_EQ(grid.cell(1, 2), "a");
  EXPECT_FALSE(paste_text(grid, 1, 2, ""));
}

TEST(TrainingGrid, TransferTextHasEveryRowFromColumnOne) {
  core::TextGrid grid(3, 2);
  grid.set_cell(0, 0, "x");
  grid.set_cell(1, 0, "Supervisor");
  grid.set_cell(2, 1, "12.5");
  EXPECT_EQ(transfer_text(grid), "Supervisor\t\t\n\t12.5\t\n");
}

}  // namespace
}  // namespace olvar::training
