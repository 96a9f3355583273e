#include "core/variable_view_upkeep.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/standard_variables.h"
#include "core/text_conversions.h"

namespace olvar::core {

namespace {

constexpr int kName = field_column(VariableField::name);
constexpr int kType = field_column(VariableField::type);
constexpr int kMaximum = field_column(VariableField::maximum);

}  // namespace

void enter_variable_view(Workspace& workspace,
                         const std::array<std::string, kVariableViewColumns>& headings) {
  TextGrid& view = workspace.variables;
  for (int column = 0; column < kVariableViewColumns; ++column) {
    view.set_cell(column, 0, headings[static_cast<std::size_t>(column)]);
  }
  for (int row = 1; row < view.row_count(); ++row) {
    view.set_cell(kName, row, workspace.survey.cell(row, 0));
  }
}

bool complete_type_entry(Workspace& workspace, int row) {
  const std::string_view typed = workspace.variables.cell(kType, row);
  VariableType type;
  if (typed == "n") {
    type = VariableType::numeric;
  } else if (typed == "c") {
    type = VariableType::character;
  } else if (typed == "d") {
    type = VariableType::date;
  } else {
    return false;
  }
  workspace.variables.set_cell(kType, row, type_text(type));
  workspace.changed = true;
  return true;
}

bool leave_variable_view(Workspace& workspace, Prompter& prompter) {
  TextGrid& view = workspace.variables;
  SurveyTable& survey = workspace.survey;

  const int last_column = std::min(survey.column_count(), view.row_count()) - 1;
  for (int k = kFirstUserColumn; k <= last_column; ++k) {
    const std::string name = user_variable_name(view.cell(kName, k));
    // An emptied name would leave the column's data without a header, and the save would drop
    // it; deleting a variable is its own command.
    if (!name.empty()) survey.set_cell(k, 0, name);
    view.set_cell(kName, k, survey.cell(k, 0));
  }

  for (int row = 1; row < view.row_count(); ++row) {
    if (view.cell(kName, row).empty()) continue;
    if (variable_type(view, row) == VariableType::numeric) {
      view.set_cell(kType, row, type_text(VariableType::numeric));
    }
  }

  const int cluster = column(StdVar::cluster);
  if (parse_tolerant(view.cell(kMaximum, cluster)) > static_cast<float>(kMaxClusterNumber)) {
    const std::string limit = std::to_string(kMaxClusterNumber);
    prompter.inform("Please do not use higher numbers than " + limit + " for the Clusters");
    view.set_cell(kMaximum, cluster, limit);
  }
  return true;
}

}  // namespace olvar::core
