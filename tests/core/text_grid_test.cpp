#include "core/text_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
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

// The store keeps short texts inside the cell and long ones apart; a cell written from another
// cell of the same column must survive the store growing or tidying itself under it.
TEST(TextGrid, CellsOfAnyLengthSurviveRewritesAndCopiesFromTheSameColumn) {
  TextGrid grid(2, 4);
  const std::string long_text(40, 'x');
  const std::string cases[] = {"", "a", "1234567", "12345678", long_text, std::string("\0z", 2)};
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    grid.set_cell(0, 1, text);
    EXPECT_EQ(grid.cell(0, 1), text);
    grid.set_cell(0, 3, grid.cell(0, 1));  // grows the column while reading from it
    grid.set_cell(0, 1, grid.cell(0, 1));  // a cell written with its own text
    EXPECT_EQ(grid.cell(0, 1), text);
    EXPECT_EQ(grid.cell(0, 3), text);
    EXPECT_EQ(grid.cell(1, 1), "");
  }
  // Many rewrites of long texts: the bytes they leave behind are given back, the texts stay.
  for (int round = 0; round < 20000; ++round) {
    grid.set_cell(1, round % 4, std::string(30, static_cast<char>('a' + round % 26)));
  }
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(grid.cell(1, row), std::string(30, static_cast<char>('a' + (19996 + row) % 26)));
  }
}

// Every shape change against a plain model of the table, on random operations: cells written far
// apart, long and short, then rows and columns inserted, erased, moved, swapped and permuted.
// A small table, where every column is one run of cells, and a tall one, where cells written far
// apart make columns of several runs that insertions, deletions and sorting must keep in step.
class TextGridRandomEdits : public ::testing::TestWithParam<int> {};

TEST_P(TextGridRandomEdits, AgreeWithAPlainTable) {
  using Model = std::vector<std::vector<std::string>>;  // [row][column]
  const int initial_rows = GetParam();
  std::mt19937 random(7);
  auto pick = [&](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
  auto text = [&] {
    const int length = pick(4) == 0 ? 0 : pick(3) == 0 ? 8 + pick(30) : 1 + pick(7);
    std::string t;
    for (int i = 0; i < length; ++i) t += static_cast<char>('a' + pick(26));
    return t;
  };
  TextGrid grid(4, initial_rows);
  Model model(static_cast<std::size_t>(initial_rows), std::vector<std::string>(4));
  auto same = [&] {
    ASSERT_EQ(grid.row_count(), static_cast<int>(model.size()));
    for (int row = 0; row < grid.row_count(); ++row) {
      ASSERT_EQ(grid.column_count(), static_cast<int>(model[row].size()));
      for (int column = 0; column < grid.column_count(); ++column) {
        ASSERT_EQ(grid.cell(column, row), model[row][column]) << column << "," << row;
      }
    }
  };
  const int steps = initial_rows > 100 ? 1500 : 3000;
  for (int step = 0; step < steps; ++step) {
    const int rows = grid.row_count();
    const int columns = grid.column_count();
    switch (pick(9)) {
      case 0:
      case 1:
      case 2: {
        if (rows == 0 || columns == 0) break;
        const int row = pick(rows), column = pick(columns);
        const std::string t = text();
        grid.set_cell(column, row, t);
        model[row][column] = t;
        break;
      }
      case 3: {
        const int at = pick(rows + 1), count = 1 + pick(5);
        grid.insert_rows(at, count);
        model.insert(model.begin() + at, count, std::vector<std::string>(columns));
        break;
      }
      case 4: {
        if (rows < 10) break;
        const int at = pick(rows), count = std::min(1 + pick(5), rows - at);
        grid.erase_rows(at, count);
        model.erase(model.begin() + at, model.begin() + at + count);
        break;
      }
      case 5: {
        if (columns > 7 || pick(2) == 0) {
          if (columns < 2) break;
          const int at = pick(columns);
          grid.erase_column(at);
          for (auto& row : model) row.erase(row.begin() + at);
        } else {
          const int at = pick(columns + 1);
          grid.insert_column(at);
          for (auto& row : model) row.insert(row.begin() + at, "");
        }
        break;
      }
      case 6: {
        if (columns == 0) break;
        const int from = pick(columns), to = pick(columns);
        grid.move_column(from, to);
        for (auto& row : model) {
          if (from < to)
            std::rotate(row.begin() + from, row.begin() + from + 1, row.begin() + to + 1);
          if (from > to) std::rotate(row.begin() + to, row.begin() + from, row.begin() + from + 1);
        }
        break;
      }
      case 7: {
        if (rows == 0) break;
        const int a = pick(rows), b = pick(rows);
        grid.swap_rows(a, b);
        std::swap(model[a], model[b]);
        break;
      }
      case 8: {
        if (rows == 0) break;
        const int first = pick(rows), count = pick(rows - first + 1);
        std::vector<int> sources(static_cast<std::size_t>(count));
        std::iota(sources.begin(), sources.end(), first);
        std::shuffle(sources.begin(), sources.end(), random);
        grid.permute_rows(first, sources);
        Model before = model;
        for (int i = 0; i < count; ++i) model[first + i] = before[sources[i]];
        break;
      }
    }
    same();
    if (HasFatalFailure()) return;
  }
  // A copy equals, and stays apart from, its original.
  TextGrid copy = grid;
  EXPECT_EQ(copy, grid);
  copy.set_cell(0, 0, "changed");
  EXPECT_NE(copy, grid);
  same();
}

INSTANTIATE_TEST_SUITE_P(SmallAndTall, TextGridRandomEdits, ::testing::Values(30, 2000));

TEST(TextGrid, EqualityComparesTextsNotHowTheyAreStored) {
  TextGrid written(2, 100);
  written.set_cell(1, 90, "a long text in the overflow bytes");
  written.set_cell(1, 90, "");
  written.set_cell(0, 5, "x");
  written.erase_rows(50, 10);
  written.insert_rows(50, 10);
  TextGrid fresh(2, 100);
  fresh.set_cell(0, 5, "x");
  EXPECT_EQ(written, fresh);
  fresh.resize(2, 99);
  EXPECT_NE(written, fresh);
  written.clear_cells();
  EXPECT_EQ(written, TextGrid(2, 100));
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
