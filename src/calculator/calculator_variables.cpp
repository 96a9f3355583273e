#include "calculator/calculator_variables.h"

#include <algorithm>
#include <unordered_set>

#include "core/standard_variables.h"

namespace olvar::calculator {

std::vector<std::string> variable_list(const core::TextGrid& survey) {
  std::vector<std::string> names;
  for (int column = 1; column < survey.column_count() - 2; ++column) {
    const std::string_view name = survey.cell(column, 0);
    if (name.empty()) break;
    names.emplace_back(name);
  }
  return names;
}

std::optional<int> variable_column(const std::vector<std::string>& list, std::string_view name) {
  const auto found = std::find(list.begin(), list.end(), name);
  if (found == list.end()) return std::nullopt;
  return static_cast<int>(found - list.begin()) + 1;
}

std::optional<VariableKind> standard_kind(int column) {
  using core::StdVar;
  switch (column) {
    case core::column(StdVar::id):
    case core::column(StdVar::months):
    case core::column(StdVar::weight):
    case core::column(StdVar::height):
    case core::column(StdVar::muac):
    case core::column(StdVar::waz):
    case core::column(StdVar::haz):
    case core::column(StdVar::whz):
    case core::column(StdVar::strata):
      return VariableKind::continuous;
    default:
      break;
  }
  if (column >= 1 && column <= core::column(StdVar::strata)) return VariableKind::categorical;
  return std::nullopt;
}

VariableKind classify_variable(const core::TextGrid& analysis, int column) {
  if (const std::optional<VariableKind> fixed = standard_kind(column)) return *fixed;

  // The count only has to reach the limit: beyond it the answer cannot change.
  std::unordered_set<std::string> distinct;
  for (int row = 1; row < analysis.row_count(); ++row) {
    const std::string_view text = analysis.cell(column, row);
    if (text.empty()) continue;
    distinct.emplace(text);
    if (static_cast<int>(distinct.size()) >= kCategoricalDistinctLimit) break;
  }
  using core::StdVar;
  const StdVar record_columns[] = {StdVar::survdate, StdVar::cluster, StdVar::team, StdVar::id,
                                   StdVar::sex};
  int records = 1;
  for (int row = analysis.row_count() - 1; row >= 1; --row) {
    const bool filled =
        std::any_of(std::begin(record_columns), std::end(record_columns),
                    [&](StdVar v) { return !analysis.cell(core::column(v), row).empty(); });
    if (filled) {
      records = row;
      break;
    }
  }
  const double count = static_cast<double>(distinct.size());
  const bool categorical =
      records / 2.0 > count && static_cast<int>(distinct.size()) < kCategoricalDistinctLimit;
  return categorical ? VariableKind::categorical : VariableKind::continuous;
}

}  // namespace olvar::calculator
