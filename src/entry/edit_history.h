#pragma once
// Undo and redo of what data entry does to a survey: cell edits, pastes, cleared blocks, rows
// and variables inserted or deleted. Each step keeps the Survey table and the Variable View as
// they were; copying them is close to a memory copy (the tables' cells are not separate heap
// objects), so a step costs the memory of the table and no time worth noticing.

#include <cstddef>
#include <deque>
#include <vector>

#include "core/workspace.h"

namespace olvar::entry {

class EditHistory {
 public:
  // At least this many steps are kept; fewer only when they would take more memory than
  // kMemoryBudget (a survey at the format's limit of 65,535 rows).
  static constexpr std::size_t kSteps = 100;
  static constexpr std::size_t kMemoryBudget = std::size_t{512} << 20;

  // The state from which nothing can be undone (a survey just opened or started).
  void reset(const core::Workspace& workspace);
  // After a command: when the tables differ from the last state noted, that state becomes a
  // step to undo, and what could be redone is gone.
  void note(const core::Workspace& workspace);

  bool can_undo() const { return !undo_.empty(); }
  bool can_redo() const { return !redo_.empty(); }
  // The tables back as they were before the last step (after it, for redo); false when there
  // is nothing to undo (redo).
  bool undo(core::Workspace& workspace);
  bool redo(core::Workspace& workspace);

 private:
  struct State {
    core::SurveyTable survey;
    core::TextGrid variables;
  };
  static State state_of(const core::Workspace& workspace);
  static void restore(const State& state, core::Workspace& workspace);
  std::size_t steps_allowed() const;

  State current_;
  std::deque<State> undo_;
  std::vector<State> redo_;
};

}  // namespace olvar::entry
