#pragma once
// Which rows of the analysis table a column summary or category count reads. The reports read
// every row; the statistical calculator also selects by a range of values or by a text in
// another column.

#include <string>
#include <utility>

#include "core/text_grid.h"

namespace olvar::stats {

struct RowFilter {
  int column = -1;    // the filter column; negative: no column
  float low = 0.0f;   // range of the filter column's parsed value, bounds included,
  float high = 0.0f;  //   in force when the two are not both 0
  std::string text;   // without a range: the exact text the filter column must hold

  static RowFilter all_rows() { return {}; }
  static RowFilter range(int column, float low, float high) { return {column, low, high, {}}; }
  static RowFilter equal_text(int column, std::string text) {
    return {column, 0.0f, 0.0f, std::move(text)};
  }
};

// Whether data row `row` passes the filter:
// - with a range (bounds not both 0): the filter cell is non-empty and low <= value <= high;
// - otherwise, without a filter column: every row;
// - otherwise: the filter cell is non-empty once trailing spaces are ignored and equals the text
//   exactly (so an empty filter text selects nothing).
bool row_selected(const core::TextGrid& table, int row, const RowFilter& filter);

}  // namespace olvar::stats
