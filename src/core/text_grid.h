#pragma once
// A grid of text cells addressed as (column, row): the one shape every table of the program has
// (Survey table, Variable View, analysis table, mortality, training, planning, food security).
// Cells hold bytes in Windows-1252, exactly as they stand in the files; an empty cell is a
// missing value. Only the user interface converts to and from Unicode.

#include <string>
#include <string_view>
#include <vector>

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
  const std::string& cell(int column, int row) const;
  // Writes a cell inside the grid; a cell outside it is ignored (the grid never grows by itself,
  // so a stray index cannot allocate millions of cells).
  void set_cell(int column, int row, std::string_view text);
  // Direct access for code that rewrites a cell in place (normalisation of codes).
  std::string* mutable_cell(int column, int row);

  // Changes the shape, keeping the cells that stay inside it.
  void resize(int column_count, int row_count);
  // Empties every cell; the shape stays.
  void clear_cells();
  void insert_rows(int at_row, int count);
  void erase_rows(int at_row, int count);
  void insert_column(int at_column);
  void erase_column(int at_column);
  // Moves column `from` to position `to`, the columns between shifting by one to close the gap;
  // in place, so a column can travel to the end of a 65,535-row table without a copy of it.
  // Either index outside the grid: nothing happens.
  void move_column(int from, int to);
  // Empties every cell of one column.
  void clear_column(int column);
  void swap_rows(int a, int b);
  // Reorders the rows from `first_row` on: row first_row + i receives the row that was at
  // source_rows[i], a permutation of those rows. Every cell moves once, whatever the order.
  void permute_rows(int first_row, const std::vector<int>& source_rows);

  // Whether every cell of the row is empty (column 0 included unless skip_column0).
  bool row_is_empty(int row, bool skip_column0 = true) const;

  friend bool operator==(const TextGrid&, const TextGrid&) = default;

 private:
  std::size_t index(int column, int row) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(column_count_) +
           static_cast<std::size_t>(column);
  }

  int column_count_ = 0;
  int row_count_ = 0;
  std::vector<std::string> cells_;  // row by row
};

}  // namespace olvar::core
