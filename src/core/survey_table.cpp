#include "core/survey_table.h"

#include <algorithm>
#include <string>

namespace olvar::core {

SurveyTable::SurveyTable()
    : TextGrid(column_count_for_variables(kStandardVariableCount), kNewTableRows) {
  write_standard_headers();
  renumber_rows();
}

void SurveyTable::write_standard_headers() {
  if (column_count() <= kStandardVariableCount) resize(kStandardVariableCount + 1, row_count());
  for (int k = 1; k <= kStandardVariableCount; ++k) set_cell(k, 0, kStandardHeaders[k]);
}

void SurveyTable::renumber_rows() {
  for (int row = 1; row < row_count(); ++row) set_cell(0, row, std::to_string(row));
}

int SurveyTable::last_used_row() const {
  for (int row = row_count() - 1; row >= 1; --row) {
    if (!row_is_empty(row)) return row;
  }
  return 0;
}

bool SurveyTable::ensure_spare_rows() {
  const int empty_after = row_count() - 1 - last_used_row();
  if (empty_after >= kSpareRows || row_count() >= kMaxRows) return false;
  const int old_rows = row_count();
  resize(column_count(), std::min(old_rows + kSpareRows, kMaxRows));
  for (int row = old_rows; row < row_count(); ++row) set_cell(0, row, std::to_string(row));
  return true;
}

int SurveyTable::column_of_header(std::string_view name) const {
  for (int k = 1; k < column_count(); ++k) {
    if (cell(k, 0) == name) return k;
  }
  return -1;
}

int SurveyTable::last_named_column() const {
  for (int k = column_count() - 1; k >= 1; --k) {
    if (!cell(k, 0).empty()) return k;
  }
  return 0;
}

}  // namespace olvar::core
