#include "core/text_grid.h"

#include <algorithm>
#include <utility>

namespace olvar::core {

namespace {
const std::string kEmptyCell;
}

TextGrid::TextGrid(int column_count, int row_count) { resize(column_count, row_count); }

const std::string& TextGrid::cell(int column, int row) const {
  if (!contains(column, row)) return kEmptyCell;
  return cells_[index(column, row)];
}

void TextGrid::set_cell(int column, int row, std::string_view text) {
  if (!contains(column, row)) return;
  cells_[index(column, row)].assign(text);
}

std::string* TextGrid::mutable_cell(int column, int row) {
  if (!contains(column, row)) return nullptr;
  return &cells_[index(column, row)];
}

void TextGrid::resize(int column_count, int row_count) {
  column_count = std::max(column_count, 0);
  row_count = std::max(row_count, 0);
  if (column_count == column_count_) {
    cells_.resize(static_cast<std::size_t>(column_count) * static_cast<std::size_t>(row_count));
    row_count_ = row_count;
    return;
  }
  std::vector<std::string> cells(static_cast<std::size_t>(column_count) *
                                 static_cast<std::size_t>(row_count));
  const int keep_columns = std::min(column_count, column_count_);
  const int keep_rows = std::min(row_count, row_count_);
  for (int row = 0; row < keep_rows; ++row) {
    for (int column = 0; column < keep_columns; ++column) {
      cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(column_count) +
            static_cast<std::size_t>(column)] = std::move(cells_[index(column, row)]);
    }
  }
  cells_ = std::move(cells);
  column_count_ = column_count;
  row_count_ = row_count;
}

void TextGrid::clear_cells() {
  for (std::string& text : cells_) text.clear();
}

void TextGrid::insert_rows(int at_row, int count) {
  if (count <= 0) return;
  at_row = std::clamp(at_row, 0, row_count_);
  cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(index(0, at_row)),
                static_cast<std::size_t>(count) * static_cast<std::size_t>(column_count_),
                std::string());
  row_count_ += count;
}

void TextGrid::erase_rows(int at_row, int count) {
  if (at_row < 0 || at_row >= row_count_ || count <= 0) return;
  count = std::min(count, row_count_ - at_row);
  const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(index(0, at_row));
  cells_.erase(first, first + static_cast<std::ptrdiff_t>(count) * column_count_);
  row_count_ -= count;
}

void TextGrid::insert_column(int at_column) {
  at_column = std::clamp(at_column, 0, column_count_);
  TextGrid wider(column_count_ + 1, row_count_);
  for (int row = 0; row < row_count_; ++row) {
    for (int column = 0; column < column_count_; ++column) {
      const int target = column < at_column ? column : column + 1;
      wider.cells_[wider.index(target, row)] = std::move(cells_[index(column, row)]);
    }
  }
  *this = std::move(wider);
}

void TextGrid::erase_column(int at_column) {
  if (at_column < 0 || at_column >= column_count_) return;
  TextGrid narrower(column_count_ - 1, row_count_);
  for (int row = 0; row < row_count_; ++row) {
    for (int column = 0; column < column_count_; ++column) {
      if (column == at_column) continue;
      const int target = column < at_column ? column : column - 1;
      narrower.cells_[narrower.index(target, row)] = std::move(cells_[index(column, row)]);
    }
  }
  *this = std::move(narrower);
}

void TextGrid::move_column(int from, int to) {
  if (from == to || !contains(from, 0) || !contains(to, 0)) return;
  for (int row = 0; row < row_count_; ++row) {
    const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(index(0, row));
    if (from < to) {
      std::rotate(first + from, first + from + 1, first + to + 1);
    } else {
      std::rotate(first + to, first + from, first + from + 1);
    }
  }
}

void TextGrid::clear_column(int column) {
  if (!contains(column, 0)) return;
  for (int row = 0; row < row_count_; ++row) cells_[index(column, row)].clear();
}

void TextGrid::swap_rows(int a, int b) {
  if (a == b || !contains(0, a) || !contains(0, b)) return;
  std::swap_ranges(cells_.begin() + static_cast<std::ptrdiff_t>(index(0, a)),
                   cells_.begin() + static_cast<std::ptrdiff_t>(index(0, a + 1)),
                   cells_.begin() + static_cast<std::ptrdiff_t>(index(0, b)));
}

void TextGrid::permute_rows(int first_row, const std::vector<int>& source_rows) {
  const auto columns = static_cast<std::size_t>(column_count_);
  const auto count = static_cast<int>(source_rows.size());
  // A wrong index would leave moved-from cells behind: check everything before moving.
  if (first_row < 0 || count > row_count_ - first_row) return;
  std::vector<bool> taken(source_rows.size(), false);
  for (const int source : source_rows) {
    if (source < first_row || source >= first_row + count) return;
    if (taken[static_cast<std::size_t>(source - first_row)]) return;
    taken[static_cast<std::size_t>(source - first_row)] = true;
  }
  // Follow each cycle of the permutation with one row held aside: every cell moves once and no
  // copy of the table is made.
  auto row_begin = [&](int row) {
    return cells_.begin() + static_cast<std::ptrdiff_t>(index(0, row));
  };
  const auto width = static_cast<std::ptrdiff_t>(columns);
  std::vector<std::string> held(columns);
  std::fill(taken.begin(), taken.end(), false);
  for (int start = 0; start < count; ++start) {
    if (taken[static_cast<std::size_t>(start)]) continue;
    std::move(row_begin(first_row + start), row_begin(first_row + start) + width, held.begin());
    int target = start;
    while (true) {
      taken[static_cast<std::size_t>(target)] = true;
      const int source = source_rows[static_cast<std::size_t>(target)] - first_row;
      if (source == start) {
        std::move(held.begin(), held.end(), row_begin(first_row + target));
        break;
      }
      std::move(row_begin(first_row + source), row_begin(first_row + source) + width,
                row_begin(first_row + target));
      target = source;
    }
  }
}

bool TextGrid::row_is_empty(int row, bool skip_column0) const {
  if (row < 0 || row >= row_count_) return true;
  for (int column = skip_column0 ? 1 : 0; column < column_count_; ++column) {
    if (!cells_[index(column, row)].empty()) return false;
  }
  return true;
}

}  // namespace olvar::core
