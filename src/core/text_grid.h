#pragma once
// A grid of text cells addressed as (column, row): the one shape every table of the program has
// (Survey table, Variable View, analysis table, mortality, training, planning, food security).
// Cells hold bytes in Windows-1252, exactly as they stand in the files; an empty cell is a
// missing value. Only the user interface converts to and from Unicode.
//
// The cells live in one dense store per column (cell_column.h), not as a heap object each: a
// table at the format's limits stays small, and copying it or adding, deleting and moving
// columns cost about a memory copy. A cell reads as a std::string_view that stays valid until
// the next change to the grid; copy it into a std::string to keep it across a write.

#include <string_view>
#include <vector>

#include "core/cell_column.h"

namespace olvar::core {

class TextGrid {
 public:
  TextGrid() = default;
  TextGrid(int column_count, int row_count);

  int column_count() const { return column_count_; }
  int row_count() const { return row_count_; }
  bool contains(int column, int row) const {
    return column >= 0 && row >= 0 && column < column_count_ && row < row_count_;
  }

  // The text of a cell; empty for a cell outside the grid, so readers need no bounds checks.
  std::string_view cell(int column, int row) const {
    if (!contains(column, row)) return {};
    return columns_[static_cast<std::size_t>(column)].get(static_cast<std::size_t>(row));
  }
  // Writes a cell inside the grid; a cell outside it is ignored (the grid never grows by itself,
  // so a stray index cannot allocate millions of cells). `text` may be a cell of this grid.
  void set_cell(int column, int row, std::string_view text);

  // Changes the shape, keeping the cells that stay inside it.
  void resize(int column_count, int row_count);
  // Empties every cell; the shape stays.
  void clear_cells();
  void insert_rows(int at_row, int count);
  void erase_rows(int at_row, int count);
  void insert_column(int at_column);
  void erase_column(int at_column);
  // Moves column `from` to position `to`, the columns between shifting by one to close the gap.
  // Either index outside the grid: nothing happens.
  void move_column(int from, int to);
  // Empties every cell of one column.
  void clear_column(int column);
  void swap_rows(int a, int b);
  // Reorders the rows from `first_row` on: row first_row + i receives the row that was at
  // source_rows[i], a permutation of those rows. Anything else leaves the grid unchanged.
  void permute_rows(int first_row, const std::vector<int>& source_rows);

  // Whether every cell of the row is empty (column 0 included unless skip_column0).
  bool row_is_empty(int row, bool skip_column0 = true) const;

  // Same shape and the same text in every cell.
  friend bool operator==(const TextGrid&, const TextGrid&) = default;

 private:
  int column_count_ = 0;
  int row_count_ = 0;
  std::vector<CellColumn> columns_;
};

}  // namespace olvar::core
