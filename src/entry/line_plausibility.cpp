#include "entry/line_plausibility.h"

#include <algorithm>
#include <optional>

#include "core/date_text.h"
#include "core/hidden_columns.h"
#include "core/text_conversions.h"
#include "core/variable_view.h"

namespace olvar::entry {
namespace {

using core::StdVar;

const RowMarks kNoMarks;

}  // namespace

bool CellMarks::is_marked(int column, int row) const {
  if (row < 0 || column < 0 || column >= core::kMaxColumns) return false;
  if (static_cast<std::size_t>(row) >= rows_.size()) return false;
  return rows_[static_cast<std::size_t>(row)].test(static_cast<std::size_t>(column));
}

const RowMarks& CellMarks::row(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return kNoMarks;
  return rows_[static_cast<std::size_t>(row)];
}

void CellMarks::set_row(int row, const RowMarks& marks) {
  if (row < 0) return;
  const auto index = static_cast<std::size_t>(row);
  if (index >= rows_.size()) {
    if (marks.none()) return;  // unmarked rows need no storage
    rows_.resize(index + 1);
  }
  rows_[index] = marks;
}

int CellMarks::marked_row_count() const {
  int count = 0;
  for (const RowMarks& marks : rows_) count += marks.any() ? 1 : 0;
  return count;
}

RowMarks LinePlausibility(const core::Workspace& workspace, int row,
                          const PlausibilityRules& rules) {
  RowMarks marks;
  const core::SurveyTable& table = workspace.survey;
  const core::TextGrid& view = workspace.variables;
  if (row < 1 || row >= table.row_count()) return marks;
  const char separator = rules.conventions.decimal_separator;
  const int last_view_row = std::min(view.row_count(), core::kMaxColumns) - 1;
  for (int k = 1; k <= last_view_row; ++k) {
    if (view.cell(core::field_column(core::VariableField::name), k).empty()) break;
    if (core::is_column_hidden(workspace, k)) continue;
    const std::string_view text = core::trim_spaces(table.cell(k, row));
    if (text.empty()) continue;
    switch (core::variable_type(view, k)) {
      case core::VariableType::numeric: {
        const std::optional<float> low = core::variable_minimum(view, k, separator);
        const std::optional<float> high = core::variable_maximum(view, k, separator);
        const float value = core::parse_tolerant(text, separator);
        const bool unreadable = value == core::kUnreadable;
        if ((unreadable && (low || high)) || (!unreadable && low && value < *low) ||
            (!unreadable && high && value > *high)) {
          marks.set(static_cast<std::size_t>(k));
        }
        break;
      }
      case core::VariableType::date:
        if (!core::day_number(text, rules.conventions, rules.current_year)) {
          marks.set(static_cast<std::size_t>(k));
        }
        break;
      case core::VariableType::character:
        break;
    }
  }
  const bool measured = !core::trim_spaces(table.cell(StdVar::weight, row)).empty() ||
                        !core::trim_spaces(table.cell(StdVar::height, row)).empty();
  const std::string_view sex = core::trim_spaces(table.cell(StdVar::sex, row));
  if (measured && sex != "f" && sex != "m") marks.set(core::column(StdVar::sex));
  return marks;
}

void Plausibility_TableClick(const core::Workspace& workspace, const PlausibilityRules& rules,
                             CellMarks& marks) {
  marks.clear();
  const int last = workspace.survey.last_used_row();
  for (int row = 1; row <= last; ++row) {
    marks.set_row(row, LinePlausibility(workspace, row, rules));
  }
}

}  // namespace olvar::entry
