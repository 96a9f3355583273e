#pragma once
// Undo and redo of what data entry does to a survey: cell edits, pastes, cleared blocks, rows
// and variables inserted or deleted. Each step keeps the Survey table and the Variable View as
// they were; copying them is close to a memory copy (the tables' cells are not separate heap
// objects), so a step costs the memory of the table and no time worth noticing.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/workspace.h"

namespace olvar::entry {

// The name of a step over whole rows: "import of 1,191 rows", "merge of 1 row".
std::string rows_step_name(std::string_view command, int rows);

class EditHistory {
 public:
  // At least this many steps are kept; fewer only when they would take more memory than
  // kMemoryBudget (a survey at the format's limit of 65,535 rows).
  static constexpr std::size_t kSteps = 100;
  static constexpr std::size_t kMemoryBudget = std::size_t{512} << 20;

  // The state from which nothing can be undone (a survey just opened or started).
  void reset(const core::Workspace& workspace);
  // After a command: when the tables differ from the last state noted, that state becomes a
  // step to undo, and what could be redone is gone. `name` says what the step did, as the Edit
  // menu shows it ("import of 1,191 rows"); empty for typing and the Data View's commands.
  void note(const core::Workspace& workspace, std::string name = {});

  bool can_undo() const { return !undo_.empty(); }
  bool can_redo() const { return !redo_.empty(); }
  // The names of the steps Undo and Redo would take; empty when unnamed or none.
  std::string undo_name() const { return undo_.empty() ? std::string() : undo_.back().name; }
  std::string redo_name() const { return redo_.empty() ? std::string() : redo_.back().name; }
  // The tables back as they were before the last step (after it, for redo); false when there
  // is nothing to undo (redo).
  bool undo(core::Workspace& workspace);
  bool redo(core::Workspace& workspace);

 private:
  struct State {
    core::SurveyTable survey;
    core::TextGrid variables;
    std::string name;  // in the undo and redo lists: the step between this state and the next
  };
  static State state_of(const core::Workspace& workspace);
  static void restore(const State& state, core::Workspace& workspace);
  std::size_t steps_allowed() const;

  State current_;
  std::deque<State> undo_;
  std::vector<State> redo_;
};

}  // namespace olvar::entry
