#include "entry/edit_history.h"

#include <algorithm>
#include <utility>

namespace olvar::entry {

std::string rows_step_name(std::string_view command, int rows) {
  const std::string digits = std::to_string(rows < 0 ? 0 : rows);
  std::string name(command);
  name += " of ";
  for (std::size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) name += ',';
    name += digits[k];
  }
  name += rows == 1 ? " row" : " rows";
  return name;
}

EditHistory::State EditHistory::state_of(const core::Workspace& workspace) {
  return {workspace.survey, workspace.variables, {}};
}

void EditHistory::restore(const State& state, core::Workspace& workspace) {
  workspace.survey = state.survey;
  workspace.variables = state.variables;
}

std::size_t EditHistory::steps_allowed() const {
  // A cell takes eight bytes; the step of a full table takes about rows x columns of them.
  const std::size_t cells = static_cast<std::size_t>(std::max(1, current_.survey.row_count())) *
                            static_cast<std::size_t>(std::max(1, current_.survey.column_count()));
  return std::max<std::size_t>(1, std::min(kSteps, kMemoryBudget / (cells * 8)));
}

void EditHistory::reset(const core::Workspace& workspace) {
  current_ = state_of(workspace);
  undo_.clear();
  redo_.clear();
}

void EditHistory::note(const core::Workspace& workspace, std::string name) {
  if (workspace.survey == current_.survey && workspace.variables == current_.variables) return;
  undo_.push_back(std::exchange(current_, state_of(workspace)));
  undo_.back().name = std::move(name);
  while (undo_.size() > steps_allowed()) undo_.pop_front();
  redo_.clear();
}

bool EditHistory::undo(core::Workspace& workspace) {
  note(workspace);  // what was done since the last note is a step too
  if (undo_.empty()) return false;
  std::string name = std::move(undo_.back().name);
  redo_.push_back(std::exchange(current_, std::move(undo_.back())));
  redo_.back().name = std::move(name);
  current_.name.clear();
  undo_.pop_back();
  restore(current_, workspace);
  return true;
}

bool EditHistory::redo(core::Workspace& workspace) {
  if (redo_.empty()) return false;
  std::string name = std::move(redo_.back().name);
  undo_.push_back(std::exchange(current_, std::move(redo_.back())));
  undo_.back().name = std::move(name);
  current_.name.clear();
  redo_.pop_back();
  restore(current_, workspace);
  return true;
}

}  // namespace olvar::entry
