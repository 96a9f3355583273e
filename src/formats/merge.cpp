#include "formats/merge.h"

#include <algorithm>
#include <string>

#include "core/standard_variables.h"
#include "core/variable_columns.h"

namespace olvar::formats {

namespace {

constexpr int kHouseholdFirstRow = 2;  // household mortality rows start at row 2
constexpr int kHouseholdColumns = 11;

int last_household_row(const core::TextGrid& households) {
  for (int row = households.row_count() - 1; row >= kHouseholdFirstRow; --row) {
    for (int c = 1; c <= kHouseholdColumns && c < households.column_count(); ++c) {
      if (!households.cell(c, row).empty()) return row;
    }
  }
  return kHouseholdFirstRow - 1;
}

// The column of `name` in the merged table, added after the last variable when it is new.
int column_for(core::Workspace& merged, const core::Workspace& source, int source_column) {
  const std::string name(source.survey.cell(source_column, 0));
  const int found = merged.survey.column_of_header(name);
  if (found >= 1) return found;
  const int at = merged.survey.last_named_column() + 1;
  if (core::add_variable(merged, at, name) != core::AddVariableOutcome::added ||
      merged.survey.cell(at, 0) != name) {
    throw MergeError("the variable " + name + " does not fit in the merged survey (at most " +
                     std::to_string(core::kMaxVariableColumns - 1) + " variables)");
  }
  const int view_columns = std::min(merged.variables.column_count(), source.variables.column_count());
  if (source_column < source.variables.row_count() && at < merged.variables.row_count()) {
    for (int c = 0; c < view_columns; ++c) {
      merged.variables.set_cell(c, at, source.variables.cell(c, source_column));
    }
  }
  return at;
}

void append_children(core::Workspace& merged, const core::Workspace& source) {
  std::vector<std::pair<int, int>> columns;  // source column -> merged column
  for (int c = 1; c <= source.survey.last_named_column(); ++c) {
    if (source.survey.cell(c, 0).empty()) continue;
    columns.emplace_back(c, column_for(merged, source, c));
  }
  int next = merged.survey.last_used_row() + 1;
  for (int row = 1; row <= source.survey.last_used_row(); ++row) {
    if (source.survey.row_is_empty(row)) continue;
    if (next >= core::kMaxRows) {
      throw MergeError("the merged survey would have more than " +
                       std::to_string(core::kMaxRows - 1) + " children");
    }
    if (next >= merged.survey.row_count()) {
      merged.survey.resize(merged.survey.column_count(), std::min(core::kMaxRows, next + 100));
    }
    for (const auto& [from, to] : columns) {
      merged.survey.set_cell(to, next, source.survey.cell(from, row));
    }
    ++next;
  }
}

void append_households(core::Workspace& merged, const core::Workspace& source) {
  int next = last_household_row(merged.mortality_households) + 1;
  const int last = last_household_row(source.mortality_households);
  // The survey file reads household rows up to this one; more would be cut on reading.
  constexpr int kLastHouseholdRow = core::kMaxRows - 2;
  if (last >= kHouseholdFirstRow && next + (last - kHouseholdFirstRow) > kLastHouseholdRow) {
    throw MergeError("the merged survey would have more than " +
                     std::to_string(kLastHouseholdRow - kHouseholdFirstRow + 1) +
                     " households of mortality data");
  }
  for (int row = kHouseholdFirstRow; row <= last; ++row) {
    if (next >= merged.mortality_households.row_count()) {
      merged.mortality_households.resize(merged.mortality_households.column_count(), next + 100);
    }
    for (int c = 1; c <= kHouseholdColumns && c < source.mortality_households.column_count(); ++c) {
      merged.mortality_households.set_cell(c, next, source.mortality_households.cell(c, row));
    }
    ++next;
  }
}

bool holds_data(const core::TextGrid& grid, int first_row) {
  for (int row = first_row; row < grid.row_count(); ++row) {
    for (int c = 1; c < grid.column_count(); ++c) {
      if (!grid.cell(c, row).empty()) return true;
    }
  }
  return false;
}

}  // namespace

std::vector<std::string> left_out_by_merge(const core::Workspace& survey) {
  std::vector<std::string> left_out;
  if (holds_data(survey.training_continuous, 2) || holds_data(survey.training_categorical, 2)) {
    left_out.emplace_back("the training measurements");
  }
  if (holds_data(survey.mortality_individuals, 1)) {
    left_out.emplace_back("the individual mortality data");
  }
  return left_out;
}

core::Workspace merge_surveys(const std::vector<core::Workspace>& surveys) {
  if (surveys.empty()) throw MergeError("no survey to merge");
  const core::Workspace fresh;
  core::Workspace merged = surveys.front();
  // Only the children and the household mortality rows are merged.
  merged.training_continuous = fresh.training_continuous;
  merged.training_categorical = fresh.training_categorical;
  merged.mortality_individuals = fresh.mortality_individuals;
  merged.mortality_additional_variables.clear();
  for (std::size_t i = 1; i < surveys.size(); ++i) {
    append_children(merged, surveys[i]);
    append_households(merged, surveys[i]);
  }
  merged.survey.ensure_spare_rows();
  merged.survey.renumber_rows();
  merged.changed = true;
  return merged;
}

}  // namespace olvar::formats
