#include "core/text_grid.h"

#include <algorithm>

namespace olvar::core {

TextGrid::TextGrid(int column_count, int row_count) { resize(column_count, row_count); }

void TextGrid::set_cell(int column, int row, std::string_view text) {
  if (!contains(column, row)) return;
  columns_[static_cast<std::size_t>(column)].set(static_cast<std::size_t>(row), text);
}

void TextGrid::resize(int column_count, int row_count) {
  column_count = std::max(column_count, 0);
  row_count = std::max(row_count, 0);
  columns_.resize(static_cast<std::size_t>(column_count));
  if (row_count < row_count_) {
    for (CellColumn& column : columns_) column.truncate(static_cast<std::size_t>(row_count));
  }
  column_count_ = column_count;
  row_count_ = row_count;
}

void TextGrid::clear_cells() {
  for (CellColumn& column : columns_) column.clear();
}

void TextGrid::insert_rows(int at_row, int count) {
  if (count <= 0) return;
  at_row = std::clamp(at_row, 0, row_count_);
  for (CellColumn& column : columns_) {
    column.insert(static_cast<std::size_t>(at_row), static_cast<std::size_t>(count));
  }
  row_count_ += count;
}

void TextGrid::erase_rows(int at_row, int count) {
  if (at_row < 0 || at_row >= row_count_ || count <= 0) return;
  count = std::min(count, row_count_ - at_row);
  for (CellColumn& column : columns_) {
    column.erase(static_cast<std::size_t>(at_row), static_cast<std::size_t>(count));
  }
  row_count_ -= count;
}

void TextGrid::insert_column(int at_column) {
  at_column = std::clamp(at_column, 0, column_count_);
  columns_.insert(columns_.begin() + at_column, CellColumn());
  ++column_count_;
}

void TextGrid::erase_column(int at_column) {
  if (at_column < 0 || at_column >= column_count_) return;
  columns_.erase(columns_.begin() + at_column);
  --column_count_;
}

void TextGrid::move_column(int from, int to) {
  if (from == to || !contains(from, 0) || !contains(to, 0)) return;
  const auto first = columns_.begin();
  if (from < to) {
    std::rotate(first + from, first + from + 1, first + to + 1);
  } else {
    std::rotate(first + to, first + from, first + from + 1);
  }
}

void TextGrid::clear_column(int column) {
  if (!contains(column, 0)) return;
  columns_[static_cast<std::size_t>(column)].clear();
}

void TextGrid::swap_rows(int a, int b) {
  if (a == b || !contains(0, a) || !contains(0, b)) return;
  for (CellColumn& column : columns_) {
    column.swap_cells(static_cast<std::size_t>(a), static_cast<std::size_t>(b));
  }
}

void TextGrid::permute_rows(int first_row, const std::vector<int>& source_rows) {
  const auto count = static_cast<int>(source_rows.size());
  // A wrong index would scramble the table: check everything before moving.
  if (first_row < 0 || count > row_count_ - first_row) return;
  std::vector<bool> taken(source_rows.size(), false);
  for (const int source : source_rows) {
    if (source < first_row || source >= first_row + count) return;
    if (taken[static_cast<std::size_t>(source - first_row)]) return;
    taken[static_cast<std::size_t>(source - first_row)] = true;
  }
  for (CellColumn& column : columns_) {
    column.permute(static_cast<std::size_t>(first_row), source_rows);
  }
}

bool TextGrid::row_is_empty(int row, bool skip_column0) const {
  if (row < 0 || row >= row_count_) return true;
  for (int column = skip_column0 ? 1 : 0; column < column_count_; ++column) {
    if (!columns_[static_cast<std::size_t>(column)].get(static_cast<std::size_t>(row)).empty()) {
      return false;
    }
  }
  return true;
}

}  // namespace olvar::core
