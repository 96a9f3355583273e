#include "core/variable_columns.h"

#include <string>

#include "core/standard_variables.h"
#include "core/variable_view.h"

namespace olvar::core {

namespace {

bool column_is_empty(const TextGrid& grid, int column) {
  for (int row = 0; row < grid.row_count(); ++row) {
    if (!grid.cell(column, row).empty()) return false;
  }
  return true;
}

// The view row `from` moves to `to`, the rows between shifting by one; the view keeps its shape.
void move_view_row(TextGrid& view, int from, int to) {
  if (!view.contains(0, from) || !view.contains(0, to)) return;
  const int step = from < to ? 1 : -1;
  for (int row = from; row != to; row += step) view.swap_rows(row, row + step);
}

void clear_view_row(TextGrid& view, int row) {
  for (int column = 0; column < view.column_count(); ++column) view.set_cell(column, row, "");
}

}  // namespace

AddVariableOutcome add_variable(Workspace& workspace, int at_column, std::string_view name) {
  SurveyTable& survey = workspace.survey;
  TextGrid& view = workspace.variables;
  if (at_column < kFirstUserColumn) return AddVariableOutcome::not_a_user_column;
  const std::string header = user_variable_name(name);
  if (header.empty()) return AddVariableOutcome::empty_name;
  if (at_column > kMaxColumns - 1 || at_column >= survey.column_count()) {
    return AddVariableOutcome::beyond_last_column;
  }

  const bool full = survey.column_count() >= kMaxColumns;
  const int last = survey.column_count() - 1;
  // A full table makes room by giving up its last column; if that holds anything, or if the
  // new variable itself would become the last column (never saved), nothing is done.
  if (full && (at_column == last || !column_is_empty(survey, last))) {
    return AddVariableOutcome::table_full;
  }
  if (!full) survey.resize(survey.column_count() + 1, survey.row_count());
  const int spare = survey.column_count() - 1;  // an empty column, moved into place
  survey.clear_column(spare);
  survey.move_column(spare, at_column);
  survey.set_cell(at_column, 0, header);

  if (view.column_count() != kVariableViewColumns || view.row_count() != kVariableViewRows) {
    view.resize(kVariableViewColumns, kVariableViewRows);
  }
  // The view's last row describes the column that just fell off or a column beyond the table.
  clear_view_row(view, view.row_count() - 1);
  move_view_row(view, view.row_count() - 1, at_column);
  view.set_cell(field_column(VariableField::name), at_column, header);
  view.set_cell(field_column(VariableField::type), at_column, type_text(VariableType::numeric));

  workspace.changed = true;
  return AddVariableOutcome::added;
}

bool delete_variable(Workspace& workspace, int at_column) {
  SurveyTable& survey = workspace.survey;
  TextGrid& view = workspace.variables;
  if (at_column < kFirstUserColumn || at_column >= survey.column_count()) return false;

  const int last = survey.column_count() - 1;
  survey.move_column(at_column, last);
  survey.clear_column(last);

  const int last_view_row = view.row_count() - 1;
  if (at_column <= last_view_row) {
    move_view_row(view, at_column, last_view_row);
    clear_view_row(view, last_view_row);
  }

  if (workspace.file_name.empty()) workspace.file_name = "noname.as";
  workspace.changed = true;
  return true;
}

}  // namespace olvar::core
