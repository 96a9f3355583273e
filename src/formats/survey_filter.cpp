#include "formats/survey_filter.h"

#include <algorithm>
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
  if (!backup_) backup_ = table;
  return apply_filter(table, column, conditions, decimal_separator, progress);
}

bool SurveyFilter::remove(core::SurveyTable& table) {
  if (!backup_) return false;
  table = std::move(*backup_);
  backup_.reset();
  return true;
}

}  // namespace olvar::formats
