#include "core/hidden_columns.h"

#include "core/standard_variables.h"

namespace olvar::core {

bool is_column_hidden(bool extra_columns_shown, int column) {
  return !extra_columns_shown && column >= core::column(StdVar::measure) &&
         column <= core::column(StdVar::wtfactor);
}

std::string_view measure_as_evaluated(const Workspace& workspace, int row) {
  if (!workspace.extra_columns_shown) return {};
  return workspace.survey.cell(StdVar::measure, row);
}

std::string_view clothes_as_evaluated(const Workspace& workspace, int row) {
  if (!workspace.extra_columns_shown) return {};
  return workspace.survey.cell(StdVar::clothes, row);
}

}  // namespace olvar::core
