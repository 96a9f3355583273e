#include "formats/survey_filter.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/standard_variables.h"
#include "core/text_conversions.h"

namespace olvar::formats {

namespace {

constexpr int kRowsAddedAfterFilter = 15;

bool any_filled(const std::array<std::string, 3>& boxes) {
  return std::any_of(boxes.begin(), boxes.end(), [](const std::string& b) { return !b.empty(); });
}

bool equals_any(std::string_view cell, const std::array<std::string, 3>& boxes) {
  return std::any_of(boxes.begin(), boxes.end(), [cell](const std::string& b) { return b == cell; });
}

// Deletes the rows 1 to n - 2 for which `fails` holds; the last row stays last.
int delete_rows(core::SurveyTable& table, const std::function<bool(int row)>& fails,
                const std::function<void(int)>& progress) {
  const int last = table.row_count() - 1;
  if (last < 2) return 0;
  std::vector<int> kept, deleted;
  for (int row = 1; row < last; ++row) {
    (fails(row) ? deleted : kept).push_back(row);
    if (progress && row % 1000 == 0) progress(row);
  }
  if (deleted.empty()) return 0;
  // Kept rows move up in their order, the last row follows them, the deleted rows go to the end
  // and are cut off.
  std::vector<int> order = std::move(kept);
  order.push_back(last);
  order.insert(order.end(), deleted.begin(), deleted.end());
  table.permute_rows(1, order);
  table.resize(table.column_count(), table.row_count() - static_cast<int>(deleted.size()));
  return static_cast<int>(deleted.size());
}

}  // namespace

int apply_filter(core::SurveyTable& table, int column, const FilterConditions& conditions,
                 char decimal_separator, const std::function<void(int)>& progress) {
  if (column < 1 || column >= table.column_count()) return 0;
  int deleted = 0;
  const auto cell = [&table, column](int row) { return table.cell(column, row); };
  const auto number = [decimal_separator](std::string_view text) {
    return core::parse_number(text, decimal_separator);
  };

  if (any_filled(conditions.equal)) {
    deleted += delete_rows(
        table, [&](int row) { return cell(row).empty() || !equals_any(cell(row), conditions.equal); },
        progress);
  }
  if (const auto low = number(conditions.at_least); !conditions.at_least.empty() && low) {
    deleted += delete_rows(
        table,
        [&](int row) {
          const auto value = number(cell(row));
          return !value || *value < *low;
        },
        progress);
  }
  if (const auto high = number(conditions.at_most); !conditions.at_most.empty() && high) {
    deleted += delete_rows(
        table,
        [&](int row) {
          const auto value = number(cell(row));
          return !value || *value > *high;
        },
        progress);
  }
  if (any_filled(conditions.not_equal)) {
    deleted += delete_rows(
        table, [&](int row) { return equals_any(cell(row), conditions.not_equal); }, progress);
  }

  const int rows = table.row_count();
  bool tail_used = false;
  for (int row = std::max(1, rows - 3); row < rows; ++row) tail_used = tail_used || !table.row_is_empty(row);
  if (tail_used) {
    table.resize(table.column_count(), std::min(rows + kRowsAddedAfterFilter, core::kMaxRows));
  }
  table.renumber_rows();
  return deleted;
}

int SurveyFilter::apply(core::SurveyTable& table, int column, const FilterConditions& conditions,
                        char decimal_separator, const std::function<void(int)>& progress) {
  if (!backup_) {
    backup_ = table;
    origin_.resize(static_cast<std::size_t>(table.row_count()));
    for (int row = 0; row < table.row_count(); ++row) origin_[static_cast<std::size_t>(row)] = row;
    origin_[0] = 0;
  } else if (!carry_corrections(table)) {
    // The rows no longer match the backup's: what the filter removes now is only kept in the
    // filtered table, so Remove Filter asks before dropping it.
    origin_.assign(static_cast<std::size_t>(table.row_count()), -1);
  }
  // Each row's origin travels with the row through the filter in a column of its own.
  const int tag = table.column_count();
  table.resize(tag + 1, table.row_count());
  for (int row = 1; row < table.row_count(); ++row) {
    // Empty rows stay empty, so that the filter sees its spare rows as spare.
    if (table.row_is_empty(row)) continue;
    table.set_cell(tag, row, std::to_string(origin_[static_cast<std::size_t>(row)]));
  }
  const int deleted = apply_filter(table, column, conditions, decimal_separator, progress);
  origin_.assign(static_cast<std::size_t>(table.row_count()), 0);
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string_view text = table.cell(tag, row);
    origin_[static_cast<std::size_t>(row)] = text.empty() ? 0 : std::stoi(std::string(text));
  }
  table.resize(tag, table.row_count());
  filtered_ = table;
  return deleted;
}

bool SurveyFilter::carry_corrections(const core::SurveyTable& table) {
  if (!backup_ || !filtered_) return false;
  const core::SurveyTable& before = *filtered_;
  // Data entry only appends spare rows at the end; fewer rows, or other variables, mean rows or
  // columns were deleted or inserted, and the rows no longer say which child they hold.
  if (table.column_count() != before.column_count() || table.row_count() < before.row_count() ||
      table.column_count() != backup_->column_count()) {
    return false;
  }
  const int columns = table.column_count();
  const auto row_text = [columns](const core::TextGrid& grid, int row) {
    std::string text;
    for (int c = 1; c < columns; ++c) {
      text += grid.cell(c, row);
      text += '\t';
    }
    return text;
  };
  std::unordered_set<std::string> filtered_rows;
  for (int row = 1; row < before.row_count(); ++row) {
    if (!before.row_is_empty(row)) filtered_rows.insert(row_text(before, row));
  }
  const bool unknown_origins =
      std::any_of(origin_.begin(), origin_.end(), [](int o) { return o < 0; });
  std::vector<int> corrected, added;
  for (int row = 1; row < table.row_count(); ++row) {
    const bool within = row < before.row_count();
    if (within && row_text(table, row) == row_text(before, row)) continue;
    if (table.row_is_empty(row) && (!within || before.row_is_empty(row))) continue;
    // A child's whole row found at another place: rows were inserted or deleted in between.
    if (filtered_rows.contains(row_text(table, row))) return false;
    if (unknown_origins) return false;  // only an untouched table can go back
    const int origin = within ? origin_[static_cast<std::size_t>(row)] : 0;
    (origin > 0 ? corrected : added).push_back(row);
  }
  int next = backup_->last_used_row() + 1;
  const int needed = next + static_cast<int>(added.size()) + 1;  // the last row stays empty
  if (!added.empty() && needed > core::kMaxRows) return false;  // before anything is written
  for (const int row : corrected) {
    const int origin = origin_[static_cast<std::size_t>(row)];
    for (int c = 1; c < columns; ++c) backup_->set_cell(c, origin, table.cell(c, row));
  }
  origin_.resize(static_cast<std::size_t>(table.row_count()), 0);
  if (!added.empty()) {
    if (needed > backup_->row_count()) backup_->resize(columns, needed);
    for (const int row : added) {
      for (int c = 1; c < columns; ++c) backup_->set_cell(c, next, table.cell(c, row));
      origin_[static_cast<std::size_t>(row)] = next++;
    }
    backup_->ensure_spare_rows();
    backup_->renumber_rows();
  }
  filtered_ = table;
  return true;
}

FilterRemoval SurveyFilter::remove_keeping_corrections(core::SurveyTable& table) {
  if (!backup_) return FilterRemoval::not_active;
  if (!carry_corrections(table)) return FilterRemoval::needs_confirmation;
  remove(table);
  return FilterRemoval::restored;
}

bool SurveyFilter::remove(core::SurveyTable& table) {
  if (!backup_) return false;
  table = std::move(*backup_);
  forget();
  return true;
}

void SurveyFilter::forget() {
  backup_.reset();
  filtered_.reset();
  origin_.clear();
}

}  // namespace olvar::formats
