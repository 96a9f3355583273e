#include "core/text_grid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace olvar::core {
namespace {

// A grid whose every cell names its position, "c<column>r<row>", so a moved cell shows where it
// came from.
TextGrid labelled_grid(int columns, int rows) {
  TextGrid grid(columns, rows);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      grid.set_cell(column, row, "c" + std::to_string(column) + "r" + std::to_string(row));
    }
  }
  return grid;
}

std::vector<std::string> row_texts(const TextGrid& grid, int row) {
  std::vector<std::string> texts;
  for (int column = 0; column < grid.column_count(); ++column)
    texts.emplace_back(grid.cell(column, row));
  return texts;
}

std::vector<std::string> column_texts(const TextGrid& grid, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < grid.row_count(); ++row) texts.emplace_back(grid.cell(column, row));
  return texts;
}

TEST(TextGrid, OutOfRangeAccessReadsEmptyAndWritesNothing) {
  TextGrid grid = labelled_grid(3, 2);
  const TextGrid before = grid;
  const int outside[][2] = {{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {100000, 100000}, {-5, -5}};
  for (const auto& cell : outside) {
    SCOPED_TRACE(std::to_string(cell[0]) + "," + std::to_string(cell[1]));
    EXPECT_EQ(grid.cell(cell[0], cell[1]), "");
    grid.set_cell(cell[0], cell[1], "x");
  }
  EXPECT_EQ(grid, before);
  EXPECT_EQ(grid.column_count(), 3);
  EXPECT_EQ(grid.row_count(), 2);

  // Shape operations with indexes outside the grid do nothing and do not crash.
  grid.erase_rows(2, 1);
  grid.erase_rows(-1, 1);
  grid.erase_column(3);
  grid.erase_column(-1);
  grid.swap_rows(0, 7);
  grid.move_column(0, 3);
  grid.move_column(-1, 1);
  grid.clear_column(5);
  EXPECT_EQ(grid, before);
  EXPECT_TRUE(grid.row_is_empty(9));

  TextGrid empty;
  EXPECT_EQ(empty.cell(0, 0), "");
  empty.insert_column(0);
  empty.insert_rows(0, 1);
  EXPECT_EQ(empty.column_count(), 1);
  EXPECT_EQ(empty.row_count(), 1);
}

TEST(TextGrid, InsertsAndErasesRows) {
  TextGrid grid = labelled_grid(2, 4);
  grid.insert_rows(1, 2);
  ASSERT_EQ(grid.row_count(), 6);
  EXPECT_EQ(column_texts(grid, 0),
            (std::vector<std::string>{"c0r0", "", "", "c0r1", "c0r2", "c0r3"}));

  grid.erase_rows(0, 3);  // the first row and the two inserted ones
  EXPECT_EQ(column_texts(grid, 1), (std::vector<std::string>{"c1r1", "c1r2", "c1r3"}));

  grid.erase_rows(1, 50);  // more than remain: stops at the end
  EXPECT_EQ(column_texts(grid, 1), (std::vector<std::string>{"c1r1"}));

  grid.insert_rows(99, 1);  // beyond the end: appended
  EXPECT_EQ(column_texts(grid, 1), (std::vector<std::string>{"c1r1", ""}));
}

TEST(TextGrid, InsertsAndErasesColumns) {
  TextGrid grid = labelled_grid(3, 2);
  grid.insert_column(1);
  EXPECT_EQ(row_texts(grid, 1), (std::vector<std::string>{"c0r1", "", "c1r1", "c2r1"}));
  grid.erase_column(0);
  EXPECT_EQ(row_texts(grid, 0), (std::vector<std::string>{"", "c1r0", "c2r0"}));
  grid.insert_column(3);
  EXPECT_EQ(row_texts(grid, 0), (std::vector<std::string>{"", "c1r0", "c2r0", ""}));
}

TEST(TextGrid, MovesAColumnInPlaceBothWays) {
  TextGrid grid = labelled_grid(5, 2);
  grid.move_column(1, 3);  // to the right: 2 and 3 move one left
  EXPECT_EQ(row_texts(grid, 1), (std::vector<std::string>{"c0r1", "c2r1", "c3r1", "c1r1", "c4r1"}));
  grid.move_column(3, 1);  // and back
  EXPECT_EQ(grid, labelled_grid(5, 2));
  grid.move_column(4, 0);
  EXPECT_EQ(row_texts(grid, 0), (std::vector<std::string>{"c4r0", "c0r0", "c1r0", "c2r0", "c3r0"}));

  grid.clear_column(0);
  EXPECT_EQ(column_texts(grid, 0), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(grid.cell(1, 1), "c0r1");
}

TEST(TextGrid, SwapsRowsAndResizesKeepingCells) {
  TextGrid grid = labelled_grid(3, 3);
  grid.swap_rows(0, 2);
  EXPECT_EQ(row_texts(grid, 0), (std::vector<std::string>{"c0r2", "c1r2", "c2r2"}));
  EXPECT_EQ(row_texts(grid, 2), (std::vector<std::string>{"c0r0", "c1r0", "c2r0"}));
  grid.swap_rows(1, 1);
  EXPECT_EQ(row_texts(grid, 1), (std::vector<std::string>{"c0r1", "c1r1", "c2r1"}));

  grid.resize(2, 4);
  EXPECT_EQ(row_texts(grid, 0), (std::vector<std::string>{"c0r2", "c1r2"}));
  EXPECT_EQ(row_texts(grid, 3), (std::vector<std::string>{"", ""}));
  grid.resize(-1, -1);
  EXPECT_EQ(grid.column_count(), 0);
  EXPECT_EQ(grid.row_count(), 0);
}

TEST(TextGrid, RowIsEmptyIgnoresTheRowNumberUnlessAsked) {
  TextGrid grid(3, 2);
  grid.set_cell(0, 1, "1");
  EXPECT_TRUE(grid.row_is_empty(1));
  EXPECT_FALSE(grid.row_is_empty(1, /*skip_column0=*/false));
  grid.set_cell(2, 1, "x");
  EXPECT_FALSE(grid.row_is_empty(1));
}

}  // namespace
}  // namespace olvar::core
